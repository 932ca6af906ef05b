#include "all_books.h"

#include <algorithm>
#include <map>
#include <optional>

#include "books/encoding.h"
#include "lookup.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "server_lookup.h"
#include "stderr_dialogs.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"
#include "viewer/finder/AllBooks.h"
#include "viewer/finder/BookGroups.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/BookSearches.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/finder/ServerLookups.h"
#include "viewer/finder/WordFinder.h"

namespace lexq {

namespace {

std::string Utf8(const std::string &cp1252) {
    return platform::Cp1252ToUtf8(cp1252);
}

// A text of the all-books answers (Windows-1252, a UTF-8 book's characters beyond it as
// references) as the characters it stands for; a page stays as it is (Utf8).
std::string Plain(const std::string &text) {
    return books::Cp1252WithReferencesToUtf8(text);
}

// One word (UTF-8, any script) in every book; its exit status. A Windows-1252 book has no
// entries for a word beyond its code page; the UTF-8 books are asked it as it is.
int LookUpAll(TAllBooks &books, const std::string &word, const TOptions &options, std::ostream &out,
              std::ostream &err) {
    if (!platform::IsUtf8(word)) {
        err << "lexq: het woord '" << TerminalText(platform::Cp1252ToUtf8(word))
            << "' is geen UTF-8\n";
        return kExitError;
    }
    // A one-off lookup waits for everything, the Hunspell dictionaries included.
    auto answers = books.SearchAllUtf8(word, WordForms::Wait::Yes, !options.Exact);
    // The server books' answers, one after the other, join the local books' in their order.
    std::map<const TBookAnswer *, std::string> serverTexts;
    for (std::size_t i = 0; i < books.ServerBooks().size(); ++i) {
        const TLXABook &book = *books.ServerBooks()[i];
        std::vector<books::dict::Definition> definitions;
        const std::string trouble =
            ServerDefinitions(book, word, ServerOptions(options), definitions);
        std::vector<std::string> headwords;
        for (const books::dict::Definition &definition : definitions)
            headwords.push_back(definition.word);
        auto answer = ServerBookAnswer(book, books.ServerPlace(i), word, headwords,
                                       DefinitionsHtml(definitions), trouble);
        serverTexts[answer.get()] = DefinitionsText(definitions);
        answers.push_back(std::move(answer));
    }
    answers = Ranked(std::move(answers));
    bool found = false;
    bool failed = false;
    for (const auto &answer : answers) {
        const std::string name = answer->Book->DisplayName;
        if (answer->Failed()) {
            err << "lexq: " << name << ": " << answer->Notice << '\n';
            failed = true;
            continue;
        }
        if (!answer->BaseForm.empty())
            err << "lexq: " << name << ": "
                << TerminalText(Plain(BaseFormSentence(answer->Typed, answer->BaseForm))) << '\n';
        out << (found ? "\n" : "") << "== " << name << " ==\n";
        const auto server = serverTexts.find(answer.get());
        if (options.Html)
            out << Utf8(answer->Page()) << "\r\n";
        else if (server != serverTexts.end())
            out << server->second << '\n';
        else
            out << HitsAsText(*answer->Results) << '\n';
        found = true;
    }
    if (found)
        return kExitFound;
    err << "lexq: " << TerminalText(Format("Het woord '%s' kan niet worden gevonden.", {word}))
        << '\n';
    if (!options.Exact) {
        const auto suggestions = books.SuggestionsUtf8(word, TWordFinder::kMaxSuggestions);
        if (!suggestions.empty())
            out << "Bedoelde u:\n";
        for (const TBookSuggestion &suggestion : suggestions)
            out << Plain(suggestion.Headword) << " ("
                << books.At(suggestion.Place).Book().DisplayName << ")\n";
    }
    return failed ? kExitError : kExitNotFound;
}

// A pattern (UTF-8) in every book: under each book that has matching keys, their headwords
// one a line in key order.
int PatternAll(TAllBooks &books, const std::string &typed, std::ostream &out, std::ostream &err) {
    // Each kind of book reads the pattern by its own keys' rule.
    std::string reason;
    const std::optional<TBookPattern> read = ReadBookPattern(typed, reason);
    if (!read) {
        err << "lexq: " << TerminalText(PatternError(typed, reason)) << '\n';
        return kExitError;
    }
    bool found = false, failed = false;
    for (std::size_t place = 0; place < books.Count(); ++place) {
        TBookSearcher &book = books.At(place);
        const TPatternAnswer answer = FindPattern(book, *read, static_cast<std::size_t>(-1));
        if (answer.Failed) {
            err << "lexq: " << book.Book().DisplayName
                << ": de trefwoorden van het woordenboek kunnen niet worden gelezen\n";
            failed = true;
            continue;
        }
        if (answer.Headwords.empty())
            continue;
        out << (found ? "\n" : "") << "== " << book.Book().DisplayName << " ==\n";
        for (const std::string &headword : answer.Headwords)
            out << Plain(headword) << '\n';
        found = true;
    }
    if (found)
        return kExitFound;
    return failed ? kExitError : kExitNotFound;
}

// A full-text query (UTF-8) in every book: under each book with matching entries their
// headwords, best first; a book without an article index says so and the others answer.
int FulltextAll(TAllBooks &books, const std::string &query, std::ostream &out, std::ostream &err) {
    std::string reason;
    if (!fulltext::TQuery::Read(query, reason)) {
        err << "lexq: " << TerminalText("De zoekvraag klopt niet: " + reason) << '\n';
        return kExitError;
    }
    bool found = false, failed = false;
    for (std::size_t place = 0; place < books.Count(); ++place) {
        TBookSearcher &book = books.At(place);
        const TArticleAnswer answer = FindArticles(book, query, kEveryArticle, false);
        if (answer.Trouble != TArticleAnswer::Problem::None) {
            err << "lexq: " << book.Book().DisplayName << ": " << TerminalText(Utf8(answer.Message))
                << '\n';
            failed = true;
            continue;
        }
        if (answer.Hits.empty())
            continue;
        out << (found ? "\n" : "") << "== " << book.Book().DisplayName << " ==\n";
        for (const TArticleHit &hit : answer.Hits)
            out << Plain(hit.Headword) << '\n';
        found = true;
    }
    if (found)
        return kExitFound;
    return failed ? kExitError : kExitNotFound;
}

}  // namespace

int RunAllBooks(const TLXAData &data, const TBookGroup &group, const TOptions &options,
                std::ostream &out, std::ostream &err) {
    if (!lexqapi::HasBooks()) {
        err << "lexq: de zoekbibliotheek kan geen woordenboeken naast elkaar doorzoeken\n";
        return kExitError;
    }
    if (group.Books.empty()) {
        err << "lexq: Er is geen enkel woordenboek geïnstalleerd.\n";
        return kExitError;
    }
    TAllBooks books(group.Books, data.Paths.DataDir);
    if (options.HasPrefix) {
        const std::vector<std::string> words = books.TypeAheadUtf8(options.Prefix, kTypeAheadWords);
        for (const std::string &headword : words)
            out << Plain(headword) << '\n';
        return words.empty() ? kExitNotFound : kExitFound;
    }
    if (options.HasFulltext)
        return FulltextAll(books, options.Fulltext, out, err);
    return LookUpEach(options.Words, out, err, [&](const std::string &word) {
        if (!options.Exact && pattern::LooksLikePattern(word))
            return PatternAll(books, word, out, err);
        return LookUpAll(books, word, options, out, err);
    });
}

}  // namespace lexq
