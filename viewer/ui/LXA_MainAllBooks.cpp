// The main window's choice of several books: "Alle woordenboeken" after the books on the
// dictionary toolbar (its drop-down and the File menu offer the language groups too), and
// the search of the chosen books. Each book answers on a worker of its own (a server's book
// on its server's worker, ServerLookups.h); its block joins the page as soon as it answers,
// at its ranked place, and a new search makes the answers of the one before stale. The choice is
// kept as a setting of its own ("Keuze"), while "MRU" keeps naming the book that was current, so
// one current book stays what it was.
#include <QFutureWatcher>
#include <QLayout>
#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "LXA_Main.h"
#include "books/encoding.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "viewer/core/Cp1252Qt.h"
#include "viewer/core/Fluency.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/ArticleSearch.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/finder/PatternSearch.h"
#include "viewer/finder/ServerLookups.h"
#include "viewer/finder/WordFinder.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/FindBar.h"
#include "viewer/ui/MainAllBooks.h"
#include "viewer/ui/MainReading.h"
#include "viewer/ui/MenuItem.h"
#include "viewer/ui/SelectBook.h"
#include "viewer/ui/UiResources.h"
#include "viewer/ui/WordListHook.h"

namespace ui {

namespace {

constexpr const char *kChoiceSetting = "Keuze";
constexpr const char *kUnfoldedSetting = "Uitgevouwen";

std::set<std::string> SplitNames(const std::string &text) {
    std::set<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        if (end > start)
            names.insert(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string JoinNames(const std::set<std::string> &names) {
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ";") + name;
    return text;
}

QString Keywords(int count) {
    return count == 1 ? QStringLiteral("1 trefwoord") : QStringLiteral("%1 trefwoorden").arg(count);
}

std::string SuggestionsPage(const TAllBooks &searchers, const std::vector<TBookSuggestion> &found) {
    if (found.empty())
        return {};
    std::vector<std::string> words, books;
    for (const TBookSuggestion &suggestion : found) {
        words.push_back(suggestion.Headword);
        books.push_back(searchers.BookAt(suggestion.Place).DisplayName);
    }
    return "<html>\r\n  <body>\r\n    " + SuggestionLines(words, books) +
           "\r\n  </body>\r\n</html>";
}

}  // namespace

QString ChoiceFoundSentence(int books, int keywords) {
    return QStringLiteral("Gevonden in %1 (%2).")
        .arg(books == 1 ? QStringLiteral("1 woordenboek")
                        : QStringLiteral("%1 woordenboeken").arg(books),
             Keywords(keywords));
}

const std::string &TfrmLXAMain::ChoiceKey() const {
    return m_allBooks->Choice;
}

TAllBooksPage *TfrmLXAMain::AllBooksPage() const {
    return m_allBooks->Page;
}

const std::vector<TCommand *> &TfrmLXAMain::ChoiceCommands() const {
    return m_allBooks->Commands;
}

int TfrmLXAMain::AllBooksPending() const {
    return m_allBooks->Pending;
}

void TfrmLXAMain::CreateAllBooksChoice() {
    TAllBooksState &state = *m_allBooks;
    state.Page = NewAllBooksPage(pnlOutput);
    state.Page->SetWordSearcher([this](const QString &word) { SearchFor(word); });
    state.Page->SetUnfolded(SplitNames(ReadSetting(platform::RegRoot::CurrentUser, std::nullopt,
                                                   m_data.Paths.RegKey, kUnfoldedSetting, "")));
    connect(state.Page, &TAllBooksPage::UnfoldedChanged, this, [this] {
        WriteSetting(platform::RegRoot::CurrentUser, std::nullopt, m_data.Paths.RegKey,
                     kUnfoldedSetting, JoinNames(m_allBooks->Page->Unfolded()));
    });
    state.Page->hide();
    pnlOutput->layout()->addWidget(state.Page);
    setTabOrder(m_viewer, state.Page);
    // A worker per book, and as many again: the workers of a search just made stale end
    // after the lookup under way, and until then a slow book's must not hold back the
    // next search's (the threads mostly wait on the disk, whatever the number of cores).
    state.Pool.setMaxThreadCount(2 * std::max(2, m_data.Books ? m_data.Books->Count() : 2));
    CreateChoiceCommands();
    // A new window opened from a group names it after its books; else the setting.
    const std::vector<std::string> arguments = platform::CommandLineArguments();
    std::string key = arguments.size() >= 2 && IsGroupKey(arguments.back())
                          ? arguments.back()
                          : ReadSetting(platform::RegRoot::CurrentUser, std::nullopt,
                                        m_data.Paths.RegKey, kChoiceSetting, "");
    if (FindGroupByKey(state.Groups, key) != nullptr)
        ChooseBooks(key);
}

void TfrmLXAMain::CreateChoiceCommands() {
    TAllBooksState &state = *m_allBooks;
    state.Groups = m_data.Books ? BookGroups(*m_data.Books) : std::vector<TBookGroup>();
    QMenu *file = FileMenu();
    QAction *n2 = file->findChild<QAction *>(QStringLiteral("N2"));
    for (const TBookGroup &group : state.Groups) {
        // One installed book is no choice: the window stays as it is without one.
        if (group.Books.size() < 2 || !lexqapi::HasBooks())
            continue;
        const std::string key = GroupKey(group);
        const QString name =
            QStringLiteral("actChoice") +
            QString::fromStdString(group.Language.empty() ? "All" : group.Language);
        if (std::any_of(state.Commands.begin(), state.Commands.end(),
                        [&](TCommand *c) { return c->objectName() == name; }))
            continue;
        auto *command = new TCommand(aclDictionaries);
        command->setObjectName(name);
        command->setText(QString::fromStdString(group.Name));
        command->setToolTip(group.Language.empty()
                                ? QStringLiteral("Zoek in alle woordenboeken tegelijk")
                                : QStringLiteral("Zoek in alle woordenboeken uit deze taal"));
        command->setCheckable(true);
        command->SetExecute([this, key] { ChooseBooks(key); });
        command->SetUpdateRule([this, key](TCommand &c) {
            const TBookGroup *chosen = FindGroupByKey(m_allBooks->Groups, key);
            c.setVisible(chosen != nullptr && m_books.size() >= 2 && lexqapi::HasBooks());
            c.setEnabled(chosen != nullptr && chosen->Books.size() >= 2);
            // Every book's button stands for all the groups on the toolbar.
            c.setChecked(key == "*" ? !ChoiceKey().empty() : ChoiceKey() == key);
        });
        auto *entry = new TMenuItem("", command, file);
        entry->setObjectName(QStringLiteral("mni") + name);
        file->insertAction(n2, entry);
        if (group.Language.empty()) {
            QIcon look(QStringLiteral(":/ui/allbooks.png"));
            AddDoubleSize(look, QStringLiteral(":/ui/allbooks.png"));
            command->setIcon(look);
            command->setShortcut(QKeySequence(QStringLiteral("Alt+0")));
            command->setShortcutContext(Qt::WindowShortcut);
            addAction(command);
            tbrDictionaries->addAction(command);
            auto *button = qobject_cast<QToolButton *>(tbrDictionaries->widgetForAction(command));
            button->setObjectName(QStringLiteral("btnAllBooks"));
            button->setFocusPolicy(Qt::TabFocus);
            button->setAccessibleName(QStringLiteral("Alle woordenboeken"));
            auto *choices = new QMenu(button);
            choices->setObjectName(QStringLiteral("mnuChoices"));
            button->setMenu(choices);
            button->setPopupMode(QToolButton::MenuButtonPopup);
            state.Commands.insert(state.Commands.begin(), command);
        } else {
            state.Commands.push_back(command);
        }
    }
    // The drop-down of the toolbar button lists every choice.
    if (QToolButton *button =
            tbrDictionaries->findChild<QToolButton *>(QStringLiteral("btnAllBooks"))) {
        button->menu()->clear();
        for (TCommand *command : state.Commands)
            button->menu()->addAction(command);
    }
    for (TCommand *command : state.Commands)
        command->Update();
}

void TfrmLXAMain::ChooseBooks(const std::string &key) {
    TAllBooksState &state = *m_allBooks;
    const TBookGroup *group = FindGroupByKey(state.Groups, key);
    if (group == nullptr || group->Books.size() < 2 || !lexqapi::HasBooks())
        return;
    HideTypeAhead();
    if (key != state.Choice) {
        ++state.Search;
        *state.Current = state.Search;
        state.Choice = key;
        state.Searchers = std::make_shared<TAllBooks>(group->Books, m_data.Paths.DataDir);
        state.Page->Clear();
        m_viewer->ClearDocument();
        WriteSetting(platform::RegRoot::CurrentUser, std::nullopt, m_data.Paths.RegKey,
                     kChoiceSetting, key);
    }
    m_viewer->hide();
    state.Page->show();
    setWindowTitle(
        QStringLiteral("Morvelt taalkist [%1]").arg(QString::fromStdString(group->Name)));
    UpdateCommands();
}

bool TfrmLXAMain::LeaveChoice() {
    TAllBooksState &state = *m_allBooks;
    if (state.Choice.empty())
        return false;
    ++state.Search;
    *state.Current = state.Search;
    state.Choice.clear();
    state.Searchers.reset();
    state.Page->Clear();
    state.Page->hide();
    m_viewer->show();
    // The top block's book may have spoken in a voice of its own.
    if (m_data.CurrentBook != nullptr && m_data.CurrentBook->Fluency && m_data.SpeechAvailable())
        FluencySetVoice(m_data.CurrentBook->FluencyVoice);
    WriteSetting(platform::RegRoot::CurrentUser, std::nullopt, m_data.Paths.RegKey, kChoiceSetting,
                 "");
    // The status line counted the blocks that are gone.
    SetStatus(QString());
    return true;
}

std::string TfrmLXAMain::NewWindowChoice() const {
    return m_allBooks->Choice;
}

void TfrmLXAMain::SearchAllBooks(const QString &typed) {
    TAllBooksState &state = *m_allBooks;
    ++state.Search;
    *state.Current = state.Search;
    state.Page->Clear();
    SetStatus(QString());
    // The single book's hits go: nothing of theirs is pronounced or saved now.
    if (m_data.SearchResults)
        m_data.SearchResults->Clear();
    // A word beyond Windows-1252 is searched in every book as typed: the UTF-8 books may
    // hold it, a Windows-1252 book has no entries for it; a pattern likewise.
    const std::string word = typed.toStdString();
    const std::optional<std::string> text = platform::Utf8ToCp1252Exact(word);
    if (!state.Searchers) {
        // A word no book can hold is refused with the single book's error.
        m_data.SearchTyped(word);
        SetStatus(QStringLiteral("Het woord '%1' kan niet worden gevonden.").arg(typed));
        RecordSearch(typed);
        return;
    }
    state.Typed = text ? *text : books::Utf8ToCp1252WithReferences(word);
    state.Word = word;
    state.Kind = TAllBooksState::TKind::Word;
    if (PatternAllBooks(word)) {
        RecordSearch(typed);
        return;
    }
    state.Pending =
        static_cast<int>(state.Searchers->Count() + state.Searchers->ServerBooks().size());
    AskServerBooks(state.Search, word);
    AskLocalBooks(state.Search, [word](TBookSearcher &book, const std::function<bool()> &stale) {
        return book.AnswerUtf8(word, WordForms::Wait::No, true, stale);
    });
    RecordSearch(typed);
}

void TfrmLXAMain::AskLocalBooks(unsigned search, TBlockOf blockOf) {
    TAllBooksState &state = *m_allBooks;
    for (std::size_t place = 0; place < state.Searchers->Count(); ++place) {
        auto *watcher = new QFutureWatcher<std::shared_ptr<const TBookAnswer>>(state.Page);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, search] {
            watcher->deleteLater();
            RunGuarded([&] { AllBooksAnswered(search, watcher->result()); });
        });
        watcher->setFuture(QtConcurrent::run(
            &state.Pool,
            [searchers = state.Searchers, current = state.Current, search, place,
             blockOf]() -> std::shared_ptr<const TBookAnswer> {
                const std::function<bool()> stale = [&] { return current->load() != search; };
                if (stale())
                    return nullptr;
                return blockOf(searchers->At(place), stale);
            }));
    }
}

void TfrmLXAMain::AllBooksAnswered(unsigned search,
                                   const std::shared_ptr<const TBookAnswer> &answer) {
    TAllBooksState &state = *m_allBooks;
    if (search != state.Search)
        return;
    state.Page->Add(answer);
    --state.Pending;
    // Find in page marks the matches of the new block as well.
    if (m_reading->FindBar != nullptr)
        m_reading->FindBar->Refresh();
    const int books = state.Page->BooksWithEntries();
    if (state.Kind != TAllBooksState::TKind::Word) {
        // A listing's count is its keys or articles; nothing found gets no suggestions.
        const std::string typed = state.Typed;
        if (state.Kind == TAllBooksState::TKind::Pattern)
            SetStatus(QString::fromStdString(
                books::Cp1252WithReferencesToUtf8(PatternSentence(state.Page->Keywords(), typed))));
        else if (books > 0)
            SetStatus(QStringLiteral("Gevonden in %1.")
                          .arg(books == 1 ? QStringLiteral("1 woordenboek")
                                          : QStringLiteral("%1 woordenboeken").arg(books)));
        else if (state.Pending == 0)
            SetStatus(QString::fromStdString(
                books::Cp1252WithReferencesToUtf8(ArticleSentence(0, false, typed))));
        return;
    }
    if (books > 0)
        SetStatus(ChoiceFoundSentence(books, state.Page->Keywords()));
    if (state.Pending > 0 || books > 0)
        return;
    SetStatus(QStringLiteral("Het woord '%1' kan niet worden gevonden.")
                  .arg(QString::fromStdString(state.Word)));
    // Nowhere found: the nearest headwords of every local book, read on a worker, and of
    // every server book; the page is whole once they are all shown.
    state.Pending = 1 + static_cast<int>(state.Searchers->ServerBooks().size());
    state.Suggested.clear();
    AskServerSuggestions(search, state.Word);
    auto *watcher = new QFutureWatcher<std::vector<TBookSuggestion>>(state.Page);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, search] {
        watcher->deleteLater();
        RunGuarded([&] { AllBooksSuggested(search, watcher->result()); });
    });
    watcher->setFuture(
        QtConcurrent::run(&state.Pool, [searchers = state.Searchers, word = state.Word] {
            return searchers->SuggestionsUtf8(word, TWordFinder::kMaxSuggestions);
        }));
}

void TfrmLXAMain::AllBooksSuggested(unsigned search, std::vector<TBookSuggestion> suggestions) {
    TAllBooksState &state = *m_allBooks;
    if (search != state.Search)
        return;
    --state.Pending;
    if (suggestions.empty())
        return;
    state.Suggested.push_back(std::move(suggestions));
    state.Page->ShowNote(SuggestionsPage(
        *state.Searchers, MergeSuggestions(state.Suggested, TWordFinder::kMaxSuggestions)));
}

QStringList TfrmLXAMain::AllBooksTypeAhead(const std::string &text) const {
    QStringList words;
    if (m_allBooks->Searchers)
        for (const std::string &word : m_allBooks->Searchers->TypeAheadUtf8(text, kTypeAheadWords))
            words << QString::fromStdString(books::Cp1252WithReferencesToUtf8(word));
    return words;
}

TAllBooksPage *TfrmLXAMain::NewAllBooksPage(QWidget *parent) const {
    auto *page = new TAllBooksPage(
        [this](const TLXABook &book) {
            for (TSelectBook *command : m_books)
                if (command->Book() == &book)
                    return command->icon();
            return QIcon();
        },
        parent);
    page->SetImageFolder(QString::fromStdString(m_data.Paths.DataDir));
    page->SetStars([this](display::THtmlViewer &viewer, std::function<TShownEntries()> shown) {
        if (m_wordList != nullptr)
            m_wordList->Attach(viewer, std::move(shown));
    });
    page->SetLinkOpener(
        [](const QUrl &link) { platform::ShellOpen(link.toString().toStdString(), ""); });
    return page;
}

TLookupPage TfrmLXAMain::ChoiceLookupPage(const std::string &text, const QString &typed) {
    TAllBooksState &state = *m_allBooks;
    TLookupPage answer;
    answer.Choice = true;
    answer.Status = NotFoundSentence(typed);
    if (!state.Searchers)
        return answer;
    // The books one after the other on this thread: a popup's word takes milliseconds a
    // book, and the searchers' handles keep the window's own workers out meanwhile.
    answer.Answers = state.Searchers->SearchAllUtf8(text, WordForms::Wait::No);
    AddServerLookups(text, answer);
    int books = 0, keywords = 0;
    for (const auto &book : answer.Answers) {
        books += book->HasEntries() ? 1 : 0;
        keywords += book->Count();
    }
    if (books > 0) {
        answer.Status = ChoiceFoundSentence(books, keywords);
        return answer;
    }
    // Found nowhere: the nearest headwords are read on a worker, as for the window's page,
    // and the popup asks again once they are there.
    const std::string miss = state.Choice + '\n' + text;
    if (miss == state.LookupMiss) {
        if (!state.LookupSuggested.empty())
            answer.Note = SuggestionsPage(
                *state.Searchers,
                MergeSuggestions(state.LookupSuggested, TWordFinder::kMaxSuggestions));
        return answer;
    }
    state.LookupMiss = miss;
    state.LookupSuggested.clear();
    using TSuggested = std::vector<TBookSuggestion>;
    auto *watcher = new QFutureWatcher<TSuggested>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, miss] {
        watcher->deleteLater();
        RunGuarded([&] {
            if (m_allBooks->LookupMiss != miss || watcher->result().empty())
                return;
            m_allBooks->LookupSuggested.push_back(watcher->result());
            emit WordFinderGrew();
        });
    });
    watcher->setFuture(QtConcurrent::run(&state.Pool, [searchers = state.Searchers, text] {
        return searchers->SuggestionsUtf8(text, TWordFinder::kMaxSuggestions);
    }));
    return answer;
}

std::unique_ptr<QTextDocument> TfrmLXAMain::AllBooksPrintable() const {
    TAllBooksPage &page = *m_allBooks->Page;
    return page.PrintablePage(page.FocusedBlock());
}

std::string TfrmLXAMain::AllBooksSource() const {
    TAllBooksPage &page = *m_allBooks->Page;
    return page.PageSource(page.FocusedBlock());
}

bool TfrmLXAMain::CanSpeakAllBooks() const {
    const std::shared_ptr<const TBookAnswer> top = m_allBooks->Page->TopAnswer();
    return top && top->Book->Fluency && m_data.SpeechAvailable() &&
           !top->Results->PronounceText().empty();
}

void TfrmLXAMain::SpeakAllBooks() {
    if (!CanSpeakAllBooks())
        return;
    const std::shared_ptr<const TBookAnswer> top = m_allBooks->Page->TopAnswer();
    // In the voice of the top block's book; the current book's is set back on leaving.
    FluencySetVoice(top->Book->FluencyVoice);
    m_data.Speak(top->Results->PronounceText());
}

void TfrmLXAMain::FindInAllBooks(TFindBar &bar) {
    bar.SetPages(
        [this]() -> std::vector<QTextEdit *> {
            if (AllBooksShown())
                return m_allBooks->Page->Displays();
            return {m_viewer};
        },
        [this](QTextEdit *display) {
            if (AllBooksShown())
                m_allBooks->Page->Reveal(display);
        });
}

void TfrmLXAMain::ApplyAllBooksLook(const display::TPageLook &look) {
    if (m_allBooks->Page != nullptr)
        m_allBooks->Page->SetLook(look);
}

}  // namespace ui
