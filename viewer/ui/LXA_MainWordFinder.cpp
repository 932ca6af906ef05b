// The main window's word finder: the type-ahead list under the search field, and what a
// search adds to its page: the entries of a base form when the typed word has none, a
// "Zie ook" line when it has a base form of its own, and "did you mean" when neither.
// Searches from links, double-clicks and the list go through SearchFor.
//
// Nothing here makes the window wait. The search library is called on this thread only,
// one call at a time; the book's keys for the suggestions are read in slices between
// events from the first miss on, and the Hunspell dictionary of the book's language loads
// on a worker from the first search on (a miss wants it for base forms, a word with
// entries for "Zie ook"; until it is ready the tables and rules answer alone). A page shown
// without them is completed when they are ready, if it is still the page shown.
#include <optional>

#include <QFutureWatcher>
#include <QLineEdit>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "LXA_Main.h"
#include "books/encoding.h"
#include "platform/cp1252.h"
#include "viewer/core/BookText.h"
#include "viewer/core/Cp1252Qt.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/lexqapi.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/finder/Pattern.h"
#include "viewer/finder/WordFinder.h"
#include "viewer/ui/TypeAhead.h"

namespace ui {

namespace {
// Keys read per slice: a fraction of a millisecond, so a keystroke never waits on them.
constexpr std::uint32_t kKeySlice = 2048;

// The finder's lines are Windows-1252 page text (FinderPage.h): a UTF-8 book's words go in
// with references, and the line comes out in UTF-8 for the book's UTF-8 page.
std::string PageWord(const std::string &word) {
    return booktext::IsUtf8() ? books::Utf8ToCp1252WithReferences(word) : word;
}

std::vector<std::string> PageWords(std::vector<std::string> words) {
    for (std::string &word : words)
        word = PageWord(word);
    return words;
}

std::string ForPage(const std::string &line) {
    return booktext::IsUtf8() ? platform::Cp1252ToUtf8(line) : line;
}
}  // namespace

void TfrmLXAMain::CreateWordFinder() {
    m_finder = std::make_unique<TWordFinder>(m_data.Paths.DataDir);
    // Nothing may leave a keystroke's handling: what escapes goes to the data module's
    // guard, and the list stays closed.
    m_typeAhead = new TTypeAhead(
        edtSearchText,
        [this](const QString &typed) {
            QStringList words;
            RunGuarded([&] {
                // A server's list comes later (AskServerTypeAhead); until then none; a choice's
                // server books add theirs when they answer.
                if (ChoiceKey().empty() && OnServerBook()) {
                    AskServerTypeAhead(typed);
                } else {
                    words = TypeAheadWords(typed);
                    if (!ChoiceKey().empty())
                        AskServerTypeAheads(typed, words);
                }
            });
            return words;
        },
        [this](const QString &word) { SearchFor(word); });
}

void TfrmLXAMain::SearchFor(const QString &word) {
    HideTypeAhead();
    edtSearchText->setText(word);
    Command("actFindWord")->Execute();
}

void TfrmLXAMain::HideTypeAhead() {
    // A server's list still on its way is not wanted now.
    ++m_serverTypeAhead;
    if (m_typeAhead != nullptr)
        m_typeAhead->Hide();
}

QStringList TfrmLXAMain::TypeAheadWords(const QString &typed) const {
    QStringList words;
    const std::optional<std::string> text = cp1252::FromQString(typed);
    // A pattern lists its matches on Enter; headwords that start with it mean nothing.
    if (m_data.CurrentBook == nullptr || pattern::LooksLikePattern(typed.toStdString()))
        return words;
    // Several books take the text in any script, as their search does.
    if (!ChoiceKey().empty())
        return AllBooksTypeAhead(typed.toStdString());
    // A server book's list would wait on the network here: the field asks it apart
    // (AskServerTypeAhead).
    if (!text || OnServerBook())
        return words;
    for (const std::string &word : ::TypeAheadWords(*text, kTypeAheadWords))
        words << cp1252::ToQString(word);
    return words;
}

void TfrmLXAMain::WordFinderBookChanged() {
    HideTypeAhead();
    m_finding = {};
    // A walk of the previous book's keys stops at its next slice.
    ++m_keySlices;
    m_readingKeys = false;
    if (m_finder)
        m_finder->SetBook(m_data.CurrentBook != nullptr ? m_data.CurrentBook->Name : "");
    // The searcher beside the word is made anew for the new book, and a search of the old
    // one shows nothing.
    StopBeside();
    m_besideBook.reset();
}

void TfrmLXAMain::BeforeResults(const QString &typed, std::int32_t found) {
    m_finding = {};
    m_lineAbove.clear();
    // A word the dictionaries' code page cannot hold was not searched: nothing to add.
    const std::optional<std::string> text = cp1252::FromQString(typed);
    if (!m_finder || m_data.CurrentBook == nullptr || !text)
        return;
    m_finding.Typed = *text;
    if (found >= 1) {
        m_finding.Stage = TFinding::SeeAlso;
        m_lineAbove = SeeAlsoFor(*text);
    } else if (m_data.SearchResults->LastCode == lexqapi::LEXQ_ERR_WORDNOTFOUND) {
        m_finding.Stage = TFinding::Miss;
    }
}

void TfrmLXAMain::AfterResults() {
    if (m_finding.Stage == TFinding::Miss && !ShowBaseForm()) {
        LoadHunspell();
        ShowSuggestions();
    }
}

std::string TfrmLXAMain::SeeAlsoFor(const std::string &typed) {
    std::string line = SeeAlsoLineFor(typed);
    if (!line.empty())
        m_finding.Stage = TFinding::Done;
    return line;
}

std::string TfrmLXAMain::SeeAlsoLineFor(const std::string &typed) {
    // The entries are the typed word's own: only a base form a table or the dictionary
    // vouches for is worth a line, and the dictionary is used once it is loaded.
    LoadHunspell();
    const std::string base =
        m_finder->BaseForm(typed, WordForms::Use::SeeAlso, WordForms::Wait::No);
    if (base.empty())
        return {};
    const std::string headword = FirstHeadword(base);
    return ForPage(SeeAlsoLine(PageWord(headword.empty() ? base : headword)));
}

std::string TfrmLXAMain::SearchBaseForm(const std::string &typed) {
    const std::string base = m_finder->BaseForm(typed, WordForms::Use::Miss, WordForms::Wait::No);
    if (base.empty() || m_data.Search(base) <= 0)
        return {};
    // The book's own spelling of the base form: the first of its hits as the page shows them.
    return m_data.SearchResults->GetItem(0).Keyword;
}

bool TfrmLXAMain::ShowBaseForm() {
    const std::string &typed = m_finding.Typed;
    const std::string headword = SearchBaseForm(typed);
    if (headword.empty())
        return false;
    m_finding.Stage = TFinding::Done;
    SetStatus(cp1252::ToQString(BaseFormSentence(typed, headword)));
    m_lineAbove = ForPage(BaseFormLine(PageWord(typed), PageWord(headword)));
    ShowResults();
    return true;
}

std::vector<std::string> TfrmLXAMain::SuggestionsFor(const std::string &typed) {
    if (!m_finder->KeysRead()) {
        ReadKeys();
        return {};
    }
    return m_finder->Suggestions(typed);
}

void TfrmLXAMain::ShowSuggestions() {
    const std::vector<std::string> words = SuggestionsFor(m_finding.Typed);
    if (words.empty())
        return;
    // The search stays a miss: the status keeps its text, the page offers the words.
    const std::string page =
        WithLineAbove(m_data.ResultPage(), ForPage(SuggestionLines(PageWords(words))));
    m_viewer->LoadDocument(page.data(), page.size());
}

void TfrmLXAMain::ReadKeys() {
    if (m_readingKeys || !m_finder->CanSuggest())
        return;
    m_readingKeys = true;
    ReadKeySlice(m_keySlices);
}

void TfrmLXAMain::ReadKeySlice(unsigned walk) {
    // A book switch made this walk stale: it ends here.
    if (walk != m_keySlices)
        return;
    if (m_finder->IndexKeys(kKeySlice)) {
        QTimer::singleShot(0, this, [this, walk] { RunGuarded([&] { ReadKeySlice(walk); }); });
        return;
    }
    m_readingKeys = false;
    if (m_finder->KeysRead() && m_finding.Stage == TFinding::Miss)
        ShowSuggestions();
    if (m_finder->KeysRead())
        emit WordFinderGrew();
}

void TfrmLXAMain::LoadHunspell() {
    const std::shared_ptr<WordForms> forms = m_finder->Forms();
    if (!forms || forms->HunspellReady() || m_hunspellLoads.count(forms->Language()) != 0)
        return;
    // Once per language: a language without a dictionary is not looked for again.
    m_hunspellLoads.insert(forms->Language());
    auto *loading = new QFutureWatcher<void>(this);
    connect(loading, &QFutureWatcher<void>::finished, this, [this, loading] {
        loading->deleteLater();
        RunGuarded([this] { HunspellLoaded(); });
    });
    loading->setFuture(QtConcurrent::run([forms] { forms->Load(); }));
}

void TfrmLXAMain::HunspellLoaded() {
    // The page still shown may gain from the dictionary: a miss its base form, a word
    // its "Zie ook".
    if (m_finding.Stage == TFinding::Miss) {
        ShowBaseForm();
    } else if (m_finding.Stage == TFinding::SeeAlso) {
        m_lineAbove = SeeAlsoFor(m_finding.Typed);
        if (!m_lineAbove.empty())
            ShowResults();
    }
    emit WordFinderGrew();
}

TLookupPage TfrmLXAMain::LookupPage(const QString &typed) {
    TLookupPage answer;
    answer.Status = NotFoundSentence(typed);
    const std::optional<std::string> text = cp1252::FromQString(typed);
    // Several books chosen answer as on the window's page: each word searched as a word, in
    // any script.
    if (m_data.CurrentBook != nullptr && !typed.isEmpty() && !ChoiceKey().empty())
        return ChoiceLookupPage(typed.toStdString(), typed);
    // A word no dictionary can hold is not searched: the window would say so in a dialog,
    // and a dialog is no answer for a popup.
    if (m_data.CurrentBook == nullptr || !text || text->empty())
        return answer;
    // The window keeps its own hits: what it shows, speaks and copies stays as it was.
    struct TKeepShown {
        TLXAData &Data;
        std::unique_ptr<TLXASearchResults> Shown;
        ~TKeepShown() { Data.SearchResults = std::move(Shown); }
    } keep{m_data, std::exchange(m_data.SearchResults, std::make_unique<TLXASearchResults>())};
    // The page's hits go with it, for its stars.
    const auto withEntries = [&](std::string page) {
        answer.Page = std::move(page);
        answer.Book = m_data.CurrentBook;
        answer.Results = std::move(m_data.SearchResults);
        answer.Typed = *text;
    };
    if (const std::optional<TPatternPage> matches = PatternPage(*text)) {
        answer.Status = cp1252::ToQString(matches->Sentence);
        answer.Page = WithLineAbove(m_data.ResultPage(), matches->Lines);
        return answer;
    }
    const std::int32_t found = m_data.SearchTyped(typed.toStdString());
    if (found >= 1) {
        answer.Status = FoundSentence(found, m_data.ResultCount());
        std::string page = m_data.ResultPage();
        if (m_finder) {
            const std::string line = SeeAlsoLineFor(*text);
            if (!line.empty())
                page = WithLineAbove(page, line);
        }
        withEntries(std::move(page));
        return answer;
    }
    if (!m_finder || m_data.SearchResults->LastCode != lexqapi::LEXQ_ERR_WORDNOTFOUND)
        return answer;
    const std::string headword = SearchBaseForm(*text);
    if (!headword.empty()) {
        answer.Status = cp1252::ToQString(BaseFormSentence(*text, headword));
        withEntries(WithLineAbove(m_data.ResultPage(),
                                  ForPage(BaseFormLine(PageWord(*text), PageWord(headword)))));
        return answer;
    }
    LoadHunspell();
    const std::vector<std::string> words = SuggestionsFor(*text);
    if (!words.empty())
        answer.Page =
            WithLineAbove(m_data.ResultPage(), ForPage(SuggestionLines(PageWords(words))));
    return answer;
}

}  // namespace ui
