// The main window on a book that a DICT server holds: the word goes to the server on a
// worker (TServerLookups) and the window goes on; the answer's page is shown when it
// arrives, unless a newer search has been made since. A miss asks for the words one letter
// away ("Bedoelde u:") where the server has that strategy; a server that fails gives its
// one line on the page and in the status bar, never a dialog. The type-ahead list asks
// MATCH prefix the same way and opens when the answer comes, if nothing newer was typed.
#include <QLineEdit>
#include <QPointer>

#include "LXA_Main.h"
#include "books/html.h"
#include "books/user_books.h"
#include "viewer/core/BookText.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/Pattern.h"
#include "viewer/finder/PatternSearch.h"
#include "viewer/finder/ServerLookups.h"
#include "viewer/ui/TypeAhead.h"

namespace ui {

QString NotFoundSentence(const QString &typed);
QString FoundSentence(std::int32_t found, std::int32_t count);

namespace {

// A page in UTF-8 (the server's texts hold any letters) in the book's look.
std::string ServerPage(const std::string &styleSheet, const std::string &typed,
                       const std::string &body) {
    std::string page = "<html>\r\n  <head>\r\n    " + std::string(booktext::kUtf8PageMark) +
                       "\r\n    <title>Resultaten voor \"" + books::EscapeHtml(typed) +
                       "\"</title>\r\n";
    if (!styleSheet.empty())
        page += "    <link rel=\"stylesheet\" type=\"text/css\" href=\"" + styleSheet + "\">\r\n";
    return page + "  </head>\r\n  <body>\r\n" + body + "  </body>\r\n</html>";
}

std::string NoteLine(const std::string &sentence) {
    return "<p class=\"zoekhulp\">" + books::EscapeHtml(sentence) + "</p>\n";
}

// The first `limit` words, each a link that searches it.
std::string WordLinks(const std::vector<std::string> &words, std::size_t limit) {
    std::string links;
    for (std::size_t i = 0; i < words.size() && i < limit; ++i)
        links += (links.empty() ? "" : "<br>") + std::string("<a href=\"") +
                 books::SearchLink(words[i]) + "\">" + books::EscapeHtml(words[i]) + "</a>";
    return "<p class=\"zoekhulp\">" + links + "</p>\n";
}

}  // namespace

std::unique_ptr<TServerLookups> TfrmLXAMain::MakeServerLookups() const {
    books::dict::ClientOptions options;
    if (m_data.Books && !m_data.Books->UserPaths.AppDir.empty())
        options.replyTimeoutMs =
            1000 * books::ServerReplyTimeout(books::UserShelfAt(m_data.Books->UserPaths.AppDir));
    return std::make_unique<TServerLookups>(options);
}

bool TfrmLXAMain::OnServerBook() const {
    return m_data.CurrentBook != nullptr && !m_data.CurrentBook->ServerAddress.empty();
}

bool TfrmLXAMain::SearchOnServer(const QString &typed) {
    if (!OnServerBook())
        return false;
    m_finding = {};
    m_lineAbove.clear();
    const unsigned search = ++m_serverSearch;
    SetStatus(QStringLiteral("Zoeken op de server..."));
    QPointer<TfrmLXAMain> window(this);
    // Answered on the server's worker; shown on the window's thread.
    auto done = [window, search](std::shared_ptr<const TServerAnswer> answer) {
        QMetaObject::invokeMethod(
            window,
            [window, search, answer] {
                if (window)
                    RunGuarded([&] { window->ServerAnswered(search, answer); });
            },
            Qt::QueuedConnection);
    };
    // A pattern lists the server's headwords that match it, as a book's pattern page does.
    const std::string text = typed.toStdString();
    std::string error;
    if (pattern::LooksLikePattern(text) && !pattern::TPattern::ReadUtf8(text, error)) {
        const std::string sentence = PatternError(text, error);
        SetStatus(QString::fromStdString(sentence));
        const std::string page = ServerPage(m_data.StyleSheetLink(), text, NoteLine(sentence));
        m_viewer->LoadDocument(page.data(), page.size());
        return true;
    }
    ServerLookups().Request(pattern::LooksLikePattern(text) ? TServerAnswer::TKind::Pattern
                                                            : TServerAnswer::TKind::Define,
                            m_data.CurrentBook->ServerAddress, text, done);
    return true;
}

void TfrmLXAMain::AskServerTypeAhead(const QString &typed) {
    const unsigned asked = ++m_serverTypeAhead;
    if (typed.isEmpty() || pattern::LooksLikePattern(typed.toStdString()))
        return;
    QPointer<TfrmLXAMain> window(this);
    // A newer keystroke's request takes the place of this one while it waits; one already
    // asked is dropped when it comes back after a newer one.
    auto done = [window, asked, typed](std::shared_ptr<const TServerAnswer> answer) {
        QMetaObject::invokeMethod(
            window,
            [window, asked, typed, answer] {
                if (!window || asked != window->m_serverTypeAhead || !window->m_typeAhead)
                    return;
                QStringList words;
                for (const std::string &word : answer->Words)
                    if (words.size() < static_cast<int>(kTypeAheadWords))
                        words << QString::fromStdString(word);
                window->m_typeAhead->Answer(typed, words);
            },
            Qt::QueuedConnection);
    };
    ServerLookups().Request(TServerAnswer::TKind::Prefix, m_data.CurrentBook->ServerAddress,
                            typed.toStdString(), done);
}

void TfrmLXAMain::ServerAnswered(unsigned search,
                                 const std::shared_ptr<const TServerAnswer> &answer) {
    if (search != m_serverSearch || !OnServerBook() ||
        answer->Address != m_data.CurrentBook->ServerAddress)
        return;
    const QString typed = QString::fromStdString(answer->Word);
    std::string body;
    if (answer->Kind == TServerAnswer::TKind::Pattern && answer->Trouble.empty()) {
        const std::string sentence = PatternSentence(answer->Words.size(), answer->Word);
        SetStatus(QString::fromStdString(sentence));
        body = NoteLine(sentence) + WordLinks(answer->Words, kPatternPageLimit);
        if (answer->Words.size() > kPatternPageLimit)
            body += "<p class=\"zoekhulp\"><i>En nog " +
                    std::to_string(answer->Words.size() - kPatternPageLimit) +
                    " trefwoorden die niet worden getoond.</i></p>\n";
    } else if (answer->Kind == TServerAnswer::TKind::Define && answer->Found()) {
        const auto count = static_cast<std::int32_t>(answer->Definitions.size());
        SetStatus(FoundSentence(count, count));
        body = answer->Html;
    } else if (!answer->Trouble.empty()) {
        SetStatus(QString::fromStdString(answer->Trouble));
        body = NoteLine(answer->Trouble);
    } else {
        SetStatus(NotFoundSentence(typed));
        body = NoteLine(NotFoundSentence(typed).toStdString());
        if (answer->Kind == TServerAnswer::TKind::Near && !answer->Words.empty()) {
            body += NoteLine("Bedoelde u:") + WordLinks(answer->Words, answer->Words.size());
        } else if (answer->Kind == TServerAnswer::TKind::Define) {
            // The miss shows at once; the words near it follow when the server has them.
            QPointer<TfrmLXAMain> window(this);
            ServerLookups().Request(
                TServerAnswer::TKind::Near, answer->Address, answer->Word,
                [window, search](std::shared_ptr<const TServerAnswer> near) {
                    QMetaObject::invokeMethod(
                        window,
                        [window, search, near] {
                            if (window)
                                RunGuarded([&] { window->ServerAnswered(search, near); });
                        },
                        Qt::QueuedConnection);
                });
        }
    }
    const std::string page = ServerPage(m_data.StyleSheetLink(), answer->Word, body);
    m_viewer->LoadDocument(page.data(), page.size());
}

}  // namespace ui
