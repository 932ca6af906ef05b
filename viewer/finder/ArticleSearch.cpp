#include "viewer/finder/ArticleSearch.h"

#include <algorithm>

#include "books/article_index.h"
#include "books/encoding.h"
#include "books/html.h"
#include "foldtable.h"
#include "platform/cp1252.h"
#include "viewer/finder/BookIndex.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/FinderPage.h"

namespace {

// Characters of an excerpt before the first marked word, and in all.
constexpr std::size_t kLead = 50;
constexpr std::size_t kLength = 160;

// A word (UTF-8) folded for comparing, as the index folds it: case and accents away.
// Digits stay; a character beyond Windows-1252 stays itself.
std::string Folded(std::string_view utf8) {
    std::string folded;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        const std::size_t length = std::max<std::size_t>(1, platform::DecodeUtf8(utf8, i, code));
        const unsigned char byte = platform::UnicodeToCp1252(code);
        if (code >= '0' && code <= '9')
            folded += static_cast<char>(code);
        else if (byte != '?' || code == '?')
            folded += lexq_fold_table[byte];
        else
            folded += utf8.substr(i, length);
        i += length;
    }
    return folded;
}

// Bytes of words: as the query reader takes them.
bool IsWordChar(char c) {
    return fulltext::IsWordByte(c);
}

// UTF-8 page markup as Windows-1252, a character beyond the code page as a reference.
std::string PageText(std::string_view utf8) {
    std::string page;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t code = 0xFFFD;
        const std::size_t length = platform::DecodeUtf8(utf8, i, code);
        i += std::max<std::size_t>(1, length);
        const unsigned char byte = platform::UnicodeToCp1252(length == 0 ? 0xFFFD : code);
        if (byte != '?' || code == '?')
            page += static_cast<char>(byte);
        else
            page += "&#" + std::to_string(static_cast<std::uint32_t>(code)) + ";";
    }
    return page;
}

struct TWanted {
    std::string Word;  // folded
    bool Prefix = false;
};

// A word folded as the index folds it: a UTF-8 book's index by the book's key rule.
std::string FoldedAs(std::string_view word, bool utf8) {
    return utf8 ? books::FoldedWords(word) : Folded(word);
}

// The words of the wanted terms, folded, each a word start when its term's last word is.
std::vector<TWanted> WantedWords(const fulltext::TQuery &query, bool utf8) {
    std::vector<TWanted> wanted;
    for (const fulltext::TTerm &term : query.Terms()) {
        if (term.Excluded)
            continue;
        for (std::size_t i = 0; i < term.Words.size(); ++i)
            wanted.push_back(
                {FoldedAs(term.Words[i], utf8), term.Prefix && i + 1 == term.Words.size()});
    }
    return wanted;
}

bool IsWanted(std::string_view word, const std::vector<TWanted> &wanted, bool utf8) {
    const std::string folded = FoldedAs(word, utf8);
    return std::any_of(wanted.begin(), wanted.end(), [&](const TWanted &w) {
        return !w.Word.empty() && (w.Prefix ? folded.rfind(w.Word, 0) == 0 : folded == w.Word);
    });
}

std::string Sentence(TArticleAnswer::Problem problem, const std::string &bookName,
                     const std::string &detail) {
    const std::string make = " Maak er een met: lexqc index " + bookName;
    switch (problem) {
        case TArticleAnswer::Problem::NoIndex:
            return "Het woordenboek '" + bookName +
                   "' heeft geen artikelindex, dus er kan niet in de artikelen worden gezocht." +
                   make;
        case TArticleAnswer::Problem::DamagedIndex:
            return "De artikelindex van het woordenboek '" + bookName +
                   "' is beschadigd en wordt niet gebruikt." + make;
        case TArticleAnswer::Problem::OutdatedIndex:
            return "De artikelindex van het woordenboek '" + bookName +
                   "' is van een oudere versie en wordt niet gebruikt." + make;
        case TArticleAnswer::Problem::NoCrypt:
            return "De artikelindex van het woordenboek '" + bookName +
                   "' is versleuteld, maar het toepassingsbestand 'crypt.dll' ontbreekt.";
        case TArticleAnswer::Problem::BadQuery:
            return "De zoekvraag klopt niet: " + detail;
        case TArticleAnswer::Problem::None:
            break;
    }
    return {};
}

}  // namespace

books::ArticleIndex::Query IndexQuery(const fulltext::TQuery &query) {
    books::ArticleIndex::Query asked;
    asked.all = query.Expression();
    asked.phrases = static_cast<int>(query.Terms().size());
    for (const fulltext::TTerm &term : query.Terms())
        for (std::size_t i = 0; !term.Excluded && i < term.Words.size(); ++i)
            asked.words.push_back({term.Words[i], term.Prefix && i + 1 == term.Words.size()});
    return asked;
}

std::string FoldedQuery(std::string_view query) {
    std::string folded;
    for (std::size_t i = 0; i < query.size();) {
        if (!IsWordChar(query[i])) {
            folded += query[i++];
            continue;
        }
        std::size_t end = i;
        while (end < query.size() && IsWordChar(query[end]))
            ++end;
        folded += books::FoldedWords(query.substr(i, end - i));
        i = end;
    }
    return folded;
}

std::string Excerpt(const std::string &text, const fulltext::TQuery &query, bool utf8) {
    const std::vector<TWanted> wanted = WantedWords(query, utf8);
    // Words of the text: where each starts and ends, and whether it is wanted.
    std::size_t first = std::string::npos;
    for (std::size_t i = 0; i < text.size() && first == std::string::npos;) {
        if (!IsWordChar(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IsWordChar(text[end]))
            ++end;
        if (IsWanted(std::string_view(text).substr(i, end - i), wanted, utf8))
            first = i;
        i = end;
    }
    std::size_t start = first == std::string::npos || first < kLead ? 0 : first - kLead;
    // Begin at a word: past the rest of the one the cut falls in.
    while (start > 0 && start < text.size() && IsWordChar(text[start - 1]) &&
           IsWordChar(text[start]))
        ++start;
    while (start > 0 && start < text.size() && !IsWordChar(text[start]))
        ++start;
    std::size_t stop = std::min(text.size(), start + kLength);
    while (stop < text.size() && IsWordChar(text[stop - 1]) && IsWordChar(text[stop]))
        ++stop;
    std::string line = start > 0 ? "\xE2\x80\xA6 " : "";  // an ellipsis
    for (std::size_t i = start; i < stop;) {
        if (!IsWordChar(text[i])) {
            line += books::EscapeHtml(std::string_view(text).substr(i++, 1));
            continue;
        }
        std::size_t end = i;
        while (end < stop && IsWordChar(text[end]))
            ++end;
        const std::string_view word = std::string_view(text).substr(i, end - i);
        line += IsWanted(word, wanted, utf8) ? "<b>" + books::EscapeHtml(word) + "</b>"
                                             : books::EscapeHtml(word);
        i = end;
    }
    if (stop < text.size())
        line += " \xE2\x80\xA6";
    return PageText(line);
}

TBodies OpenBookBodies() {
    return [](const std::string &headword) { return HitBodies(headword, headword); };
}

TArticleAnswer SearchArticles(TBookIndex &index, const std::string &query, std::size_t limit,
                              const TBodies &excerpts, const std::string &bookName) {
    TArticleAnswer answer;
    std::string error;
    const std::optional<fulltext::TQuery> read = fulltext::TQuery::Read(query, error);
    if (!read) {
        answer.Trouble = TArticleAnswer::Problem::BadQuery;
        answer.Message = platform::Utf8ToCp1252(Sentence(answer.Trouble, bookName, error));
        return answer;
    }
    books::ArticleIndex::OpenStatus status;
    books::ArticleIndex *articles = index.Get(status);
    books::ArticleIndex::Found found;
    // A UTF-8 book's index holds its words folded by the key rule: the query's are folded
    // so too ("zona" finds "żona"); what folds to nothing asks for nothing.
    const bool utf8 = articles != nullptr && articles->FoldsWords();
    const std::optional<fulltext::TQuery> asked =
        utf8 ? fulltext::TQuery::Read(FoldedQuery(query), error) : read;
    if (articles != nullptr && !asked)
        return answer;
    if (articles != nullptr && !articles->Search(IndexQuery(*asked), limit, found, error)) {
        // The query is ours and sound: a failing one means the file is damaged.
        index.Refuse();
        articles = nullptr;
        status = books::ArticleIndex::OpenStatus::Damaged;
    }
    if (articles == nullptr) {
        using Status = books::ArticleIndex::OpenStatus;
        answer.Trouble = status == Status::Missing    ? TArticleAnswer::Problem::NoIndex
                         : status == Status::Outdated ? TArticleAnswer::Problem::OutdatedIndex
                         : status == Status::NoCrypt  ? TArticleAnswer::Problem::NoCrypt
                                                      : TArticleAnswer::Problem::DamagedIndex;
        answer.Message = platform::Utf8ToCp1252(Sentence(answer.Trouble, bookName, ""));
        answer.Total = 0;
        return answer;
    }
    answer.Total = found.total;
    answer.Capped = found.capped;
    for (const books::ArticleIndex::Match &match : found.matches) {
        TArticleHit hit;
        // Page text: a UTF-8 book's characters beyond the code page as references.
        hit.Headword = utf8 ? books::Utf8ToCp1252WithReferences(match.headword)
                            : platform::Utf8ToCp1252(match.headword);
        if (excerpts) {
            // The entry's own hit among those of its key: the one whose text has the words.
            const std::vector<std::string> bodies = excerpts(hit.Headword);
            std::string best;
            for (const std::string &body : bodies) {
                const std::string line = Excerpt(books::ArticleText(body), *read, utf8);
                if (best.empty() || (line.find("<b>") != std::string::npos &&
                                     best.find("<b>") == std::string::npos))
                    best = line;
            }
            hit.Excerpt = best;
        }
        answer.Hits.push_back(std::move(hit));
    }
    return answer;
}

std::string ArticleSentence(std::size_t total, bool capped, const std::string &typed) {
    if (capped)
        return "Meer dan " + std::to_string(total) + " artikelen bevatten '" + typed + "'.";
    return std::to_string(total) + (total == 1 ? " artikel bevat '" : " artikelen bevatten '") +
           typed + "'.";
}

std::string ArticleLines(const TArticleAnswer &answer, const std::string &typed) {
    const auto paragraph = [](const std::string &html) {
        return "<p class=\"zoekhulp\">" + html + "</p>";
    };
    if (answer.Trouble != TArticleAnswer::Problem::None)
        return paragraph(books::EscapeHtml(answer.Message));
    std::string lines =
        paragraph(EscapePageText(ArticleSentence(answer.Total, answer.Capped, typed)));
    for (const TArticleHit &hit : answer.Hits) {
        lines += "\r\n    " + paragraph("<a href=\"" + SearchLink(hit.Headword) + "\">" +
                                        EscapePageText(hit.Headword) + "</a>" +
                                        (hit.Excerpt.empty() ? "" : "<br>" + hit.Excerpt));
    }
    if (answer.Total > answer.Hits.size())
        lines +=
            "\r\n    " + paragraph("<i>En nog " + std::string(answer.Capped ? "meer dan " : "") +
                                   std::to_string(answer.Total - answer.Hits.size()) +
                                   " artikelen die niet worden getoond.</i>");
    return lines;
}
