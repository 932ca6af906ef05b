#include "lookup.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>

#include "all_books.h"
#include "books/article_index.h"
#include "books/encoding.h"
#include "html_text.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "server_lookup.h"
#include "stderr_dialogs.h"
#include "viewer/core/BookChoice.h"
#include "viewer/core/BookText.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_Paths.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"
#include "viewer/finder/ArticleSearch.h"
#include "viewer/finder/BookGroups.h"
#include "viewer/finder/BookIndex.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/finder/Pattern.h"
#include "viewer/finder/PatternSearch.h"
#include "viewer/finder/WordFinder.h"
#include "word_list.h"

namespace lexq {

namespace {

// Runs one search; false (reported) when it failed.
template <typename Search>
bool SearchReported(const Search &search, const TStderrDialogs &dialogs, std::int32_t &found) {
    const int errorsBefore = dialogs.Errors();
    try {
        found = search();
    } catch (const std::exception &e) {
        ShowException(e);
        return false;
    }
    return dialogs.Errors() == errorsBefore;
}

// The hits of the last search, as text or as the viewer's page with the line above.
void PrintEntries(const TLXAData &data, bool html, const std::string &lineAbove,
                  std::ostream &out) {
    if (html) {
        const std::string page = data.ResultPage();
        out << booktext::PageToUtf8(lineAbove.empty() ? page : WithLineAbove(page, lineAbove))
            << "\r\n";
    } else {
        out << HitsAsText(*data.SearchResults) << '\n';
    }
}

// What is done with the hits a lookup printed (--star keeps them), given the base form
// they were found through (empty: the word itself); false when that failed.
using TFound = std::function<bool(const std::string &base)>;

// Looks one word (UTF-8) up, falling back as the viewer does unless finder is null; returns
// its exit status.
int LookUp(TLXAData &data, TWordFinder *finder, const std::string &word, bool html,
           std::ostream &out, std::ostream &err, const TStderrDialogs &dialogs,
           const TFound &keep) {
    std::int32_t found = 0;
    // A word with a character no dictionary holds is refused with the viewer's error.
    if (!SearchReported([&] { return data.SearchTyped(word); }, dialogs, found))
        return kExitError;
    if (found >= 1) {
        PrintEntries(data, html, "", out);
        return !keep || keep("") ? kExitFound : kExitError;
    }
    const std::string text = booktext::FromUtf8(word).value_or(std::string());
    const bool miss =
        finder != nullptr && data.SearchResults->LastCode == lexqapi::LEXQ_ERR_WORDNOTFOUND;
    // A one-off lookup waits for everything: the Hunspell dictionary and the book's keys.
    const std::string base =
        miss ? finder->BaseForm(text, WordForms::Use::Miss, WordForms::Wait::Yes) : "";
    if (!base.empty()) {
        if (!SearchReported([&] { return data.Search(base); }, dialogs, found))
            return kExitError;
        if (found >= 1) {
            const std::string headword = data.SearchResults->GetItem(0).Keyword;
            err << "lexq: " << TerminalText(booktext::ToUtf8(BaseFormSentence(text, headword)))
                << '\n';
            err.flush();
            PrintEntries(data, html, BaseFormLine(text, headword), out);
            return !keep || keep(booktext::ToUtf8(base)) ? kExitFound : kExitError;
        }
    }
    err << "lexq: " << TerminalText(Format("Het woord '%s' kan niet worden gevonden.", {word}))
        << '\n';
    if (miss) {
        finder->IndexAllKeys();
        const std::vector<std::string> suggestions = finder->Suggestions(text);
        if (!suggestions.empty()) {
            out << "Bedoelde u:\n";
            for (const std::string &suggestion : suggestions)
                out << booktext::ToUtf8(suggestion) << '\n';
        }
    }
    return kExitNotFound;
}

// The type-ahead list of the text, one headword a line.
int PrintTypeAhead(const std::string &prefix, std::ostream &out, std::ostream &err) {
    const std::optional<std::string> text = booktext::FromUtf8(prefix);
    if (!text) {
        err << "lexq: het begin '" << prefix
            << "' bevat tekens die buiten Windows-1252 vallen en in geen woordenboek staan\n";
        return kExitError;
    }
    if (!HasTypeAhead()) {
        err << "lexq: de zoekbibliotheek kan geen trefwoorden bij een begin geven\n";
        return kExitError;
    }
    const std::vector<std::string> words = TypeAheadWords(*text, kTypeAheadWords);
    for (const std::string &headword : words)
        out << booktext::ToUtf8(headword) << '\n';
    return words.empty() ? kExitNotFound : kExitFound;
}

// The headwords of the keys that match a pattern (UTF-8), one a line, in key order.
int PrintPattern(const TLXABook &book, const std::string &typed, std::ostream &out,
                 std::ostream &err) {
    const std::optional<std::string> text = booktext::FromUtf8(typed);
    if (!text) {
        err << "lexq: het patroon '" << typed
            << "' bevat tekens die buiten Windows-1252 vallen en in geen woordenboek staan\n";
        return kExitError;
    }
    std::string reason;
    // A UTF-8 book's keys follow its own rule, and so does the pattern (reason in UTF-8).
    const std::optional<pattern::TPattern> read = booktext::IsUtf8()
                                                      ? pattern::TPattern::ReadUtf8(*text, reason)
                                                      : pattern::TPattern::Read(*text, reason);
    if (!read) {
        err << "lexq: " << TerminalText(booktext::ToUtf8(PatternError(*text, reason))) << '\n';
        return kExitError;
    }
    // Without an article index a pattern with only a fixed end reads every key instead.
    books::ArticleIndex::OpenStatus status;
    const std::unique_ptr<books::ArticleIndex> index =
        books::ArticleIndex::Open(books::ArticleIndexPath(book.IndexFile()), status);
    const TPatternMatches found =
        FindPatternKeys(*read, static_cast<std::size_t>(-1), LibraryKeys(), index.get());
    if (found.Failed) {
        err << "lexq: de trefwoorden van het woordenboek kunnen niet worden gelezen\n";
        return kExitError;
    }
    for (const std::string &key : found.Keys)
        out << booktext::ToUtf8(KeyHeadword(key)) << '\n';
    return found.Keys.empty() ? kExitNotFound : kExitFound;
}

// The headwords of the entries whose text has the query's words, best first, one a line.
int PrintFulltext(const TLXABook &book, const std::string &query, std::ostream &out,
                  std::ostream &err) {
    TBookIndex index;
    index.SetBook(book.IndexFile());
    const TArticleAnswer answer =
        SearchArticles(index, query, kEveryArticle, /*excerpts=*/nullptr, book.Name);
    if (answer.Trouble != TArticleAnswer::Problem::None) {
        err << "lexq: " << TerminalText(booktext::ToUtf8(answer.Message)) << '\n';
        return kExitError;
    }
    // Page text: a UTF-8 book's characters beyond Windows-1252 as references.
    for (const TArticleHit &hit : answer.Hits)
        out << books::Cp1252WithReferencesToUtf8(hit.Headword) << '\n';
    return answer.Hits.empty() ? kExitNotFound : kExitFound;
}

int Run(const TOptions &options, std::ostream &out, std::ostream &err,
        const TStderrDialogs &dialogs) {
    // Reading the word list needs no book.
    if (options.ListWords || options.ExportAnki)
        return RunWordList(options, out, err);
    TLXAData data;
    data.Paths = ComputePaths(ProgramFilePath());
    data.Books = std::make_unique<TLXABooks>(data.Paths);
    // Every book, or a group by its name when no book has that name.
    const std::vector<TBookGroup> groups = BookGroups(*data.Books);
    const TBookGroup *group = options.All ? &groups[0] : nullptr;
    if (group == nullptr && !options.Book.empty() && data.Books->FindBook(options.Book) == nullptr)
        group = FindGroup(groups, options.Book);
    if (group != nullptr && options.Star) {
        err << "lexq: optie --star bewaart artikelen van één woordenboek, niet van een groep\n";
        return kExitError;
    }
    if (group != nullptr && !options.List) {
        data.SearchLibrary = lexqapi::LoadSearchLibrary();
        return RunAllBooks(data, *group, options, out, err);
    }
    // A book on a server needs neither the search library nor an index.
    if (const TLXABook *named =
            options.List || options.Book.empty() ? nullptr : data.Books->FindBook(options.Book);
        named != nullptr && !named->ServerAddress.empty())
        return RunServerLookup(*named, options, out, err);
    // The viewer's rule; a book named here that cannot be had ends the run instead.
    std::vector<std::string> named;
    if (!options.Book.empty())
        named.push_back(options.Book);
    TLXABook *book = ChooseBook(*data.Books, data.Paths.RegKey, named, TRefusedName::TakeNone,
                                /*reportNone=*/!options.List);
    if (options.List) {
        if (!options.Book.empty() && book == nullptr)
            return kExitError;
        PrintBooks(out, *data.Books, book);
        return kExitFound;
    }
    if (book == nullptr)
        return kExitError;
    data.SearchLibrary = lexqapi::LoadSearchLibrary();
    data.SearchResults = std::make_unique<TLXASearchResults>();
    // Not SelectBook: a one-off lookup must leave the viewer's "MRU" alone.
    if (data.OpenBook(*book) != lexqapi::LEXQ_ERR_NONE)
        return kExitError;
    if (options.HasPrefix)
        return PrintTypeAhead(options.Prefix, out, err);
    if (options.HasFulltext)
        return PrintFulltext(*book, options.Fulltext, out, err);
    std::unique_ptr<wordlist::TWordStore> store;
    if (options.Star && !(store = OpenWordList(err)))
        return kExitError;
    TWordFinder finder(data.Paths.DataDir);
    finder.SetBook(book->Name);

    return LookUpEach(options.Words, out, err, [&](const std::string &word) {
        if (!options.Exact && !options.Star && pattern::LooksLikePattern(word))
            return PrintPattern(*book, word, out, err);
        TFound star;
        if (store)
            star = [&](const std::string &base) {
                return StarHits(*store, options.ToList, book->Name, *data.SearchResults, word, base,
                                err);
            };
        return LookUp(data, options.Exact ? nullptr : &finder, word, options.Html, out, err,
                      dialogs, star);
    });
}

std::string YesNo(bool value) {
    return value ? "ja" : "nee";
}

// Columns are as wide as their widest text in characters, not bytes.
std::size_t Width(const std::string &utf8) {
    std::size_t width = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++width;
    return width;
}

}  // namespace

void PrintBooks(std::ostream &out, const TLXABooks &books, const TLXABook *current) {
    std::vector<std::vector<std::string>> rows = {
        {"Naam", "Weergavenaam", "Geïnstalleerd", "Getoond", "Huidig"}};
    for (std::int32_t i = 0; i < books.Count(); ++i) {
        const TLXABook &book = *books.FindBook(books.NameAt(i));
        rows.push_back({book.Name, book.DisplayName, YesNo(book.Installed), YesNo(book.Listed),
                        &book == current ? "*" : ""});
    }
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto &row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], Width(row[c]));
    for (const auto &row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size())
                line += std::string(widths[c] - Width(row[c]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << '\n';
    }
}

std::string HitsAsText(const TLXASearchResults &results) {
    std::string text;
    for (std::int32_t i = 0; i < results.Count(); ++i) {
        const TLXASearchResult &hit = results.GetItem(i);
        std::string entry = HtmlToText(hit.Body);
        if (entry.empty())
            entry = booktext::ToUtf8(hit.Keyword);
        text += (i == 0 ? "" : "\n\n") + entry;
    }
    if (!results.Folded.empty())
        text += "\n\n" + FoldedLine(results.Folded.size());
    return text;
}

int LookUpEach(const std::vector<std::string> &words, std::ostream &out, std::ostream &err,
               const std::function<int(const std::string &word)> &lookUp) {
    int status = kExitFound;
    const bool headings = words.size() > 1;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (headings)
            out << (i == 0 ? "" : "\n") << "--- Resultaten voor \"" << words[i] << "\" ---\n";
        out.flush();
        status = std::max(status, lookUp(words[i]));
        out.flush();
        err.flush();
    }
    return status;
}

int RunLookup(const TOptions &options, std::ostream &out, std::ostream &err) {
    TStderrDialogs dialogs(err);
    try {
        return Run(options, out, err, dialogs);
    } catch (const std::exception &e) {
        // A missing "dict.cfg" has been reported already and ends with the silent abort.
        ShowException(e);
    } catch (...) {
        ShowUnknownException();
    }
    return kExitError;
}

}  // namespace lexq
