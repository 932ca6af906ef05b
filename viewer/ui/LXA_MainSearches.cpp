// The main window's searches beside the word: a pattern on the current book's headwords
// ("*heid", "?uis", "fiets*"), whose page lists the matching headwords as links, and the
// words of the search field in the text of the book's articles ("Zoeken in artikelen").
// Both read the book through the search library on this thread, as every search does; the
// article index is opened at the first search that needs it, never earlier, and is the
// one made with the book: nothing is indexed here.
#include <optional>

#include <QLineEdit>

#include "LXA_Main.h"
#include "books/html.h"
#include "viewer/core/Cp1252Qt.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/ArticleSearch.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/finder/Pattern.h"
#include "viewer/finder/PatternSearch.h"

namespace ui {

void TfrmLXAMain::ShowSearchPage(const std::string &lines) {
    // A page of the book's look without entries: the last search's hits are gone.
    m_data.SearchResults->Clear();
    const std::string page = WithLineAbove(m_data.ResultPage(), lines);
    m_viewer->LoadDocument(page.data(), page.size());
}

bool TfrmLXAMain::ShowPattern(const QString &typed) {
    const std::optional<std::string> text = cp1252::FromQString(typed);
    if (!text)
        return false;
    const std::optional<TPatternAnswer> answer = PatternAnswer(*text);
    if (!answer)
        return false;
    m_finding = {};
    m_lineAbove.clear();
    SetStatus(cp1252::ToQString(answer->Sentence));
    ShowSearchPage(answer->Lines);
    return true;
}

std::optional<TfrmLXAMain::TPatternAnswer> TfrmLXAMain::PatternAnswer(const std::string &text) {
    if (!pattern::LooksLikePattern(text) || m_data.CurrentBook == nullptr || !HasKeyWalk())
        return std::nullopt;
    std::string reason;
    const std::optional<pattern::TPattern> read = pattern::TPattern::Read(text, reason);
    if (!read) {
        const std::string sentence = PatternError(text, reason);
        return TPatternAnswer{sentence,
                              "<p class=\"zoekhulp\">" + books::EscapeHtml(sentence) + "</p>"};
    }
    TWaitCursor hourglass;
    books::ArticleIndex::OpenStatus status;
    books::ArticleIndex *index = read->FixedStart().empty() ? m_bookIndex.Get(status) : nullptr;
    TPatternMatches found = FindPatternKeys(*read, kPatternPageLimit, LibraryKeys(), index);
    if (found.Failed && found.Walked == TPatternMatches::Route::Suffix) {
        // A damaged index: every key answers instead, and the index is not read again.
        m_bookIndex.Refuse();
        found = FindPatternKeys(*read, kPatternPageLimit, LibraryKeys(), nullptr);
    }
    std::vector<std::string> headwords;
    headwords.reserve(found.Keys.size());
    for (const std::string &key : found.Keys)
        headwords.push_back(KeyHeadword(key));
    return TPatternAnswer{PatternSentence(found.Total, text),
                          PatternLines(headwords, found.Total, text)};
}

void TfrmLXAMain::actFindInArticlesExecute() {
    if (m_data.CurrentBook == nullptr)
        return;
    HideTypeAhead();
    m_finding = {};
    m_lineAbove.clear();
    const QString typed = edtSearchText->text();
    const std::optional<std::string> text = cp1252::FromQString(typed);
    if (!text) {
        // The books hold Windows-1252 only: such a word is in no article.
        const std::string sentence =
            "De zoekvraag bevat een teken dat in geen enkel woordenboek voorkomt.";
        SetStatus(QString::fromStdString(sentence));
        ShowSearchPage("<p class=\"zoekhulp\">" + sentence + "</p>");
        return;
    }
    TWaitCursor hourglass;
    const TArticleAnswer answer =
        SearchArticles(m_bookIndex, typed.toStdString(), kArticlePageLimit, /*excerpts=*/true,
                       m_data.CurrentBook->Name);
    SetStatus(cp1252::ToQString(answer.Trouble == TArticleAnswer::Problem::None
                                    ? ArticleSentence(answer.Total, *text)
                                    : answer.Message));
    ShowSearchPage(ArticleLines(answer, *text));
}

}  // namespace ui
