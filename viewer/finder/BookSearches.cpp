#include "viewer/finder/BookSearches.h"

#include <exception>
#include <mutex>

#include "books/encoding.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/finder/AllBooks.h"
#include "viewer/finder/BookKeys.h"

namespace {

// The first slice is small: a narrow prefix is answered without reading ahead.
constexpr std::uint32_t kFirstSlice = 64;
constexpr std::uint32_t kSlice = 1024;

// The bodies of the hits with that headword through the book's handle (all hits when none
// has it).
std::vector<std::string> HandleBodies(TBookHandle &handle, const std::string &headword) {
    std::vector<std::string> bodies, all;
    TLXASearchResults results;
    if (handle.Search(headword, results.RawTable) != lexqapi::LEXQ_ERR_NONE)
        return bodies;
    try {
        results.SearchText = headword;
        results.ParseTable(-1);
    } catch (const std::exception &) {
        return bodies;  // a table the result list cannot read: no line for this hit
    }
    for (std::int32_t i = 0; i < results.Count(); ++i) {
        const TLXASearchResult &hit = results.GetItem(i);
        (hit.Keyword == headword ? bodies : all).push_back(hit.Body);
    }
    return bodies.empty() ? all : bodies;
}

}  // namespace

TForwardKeys HandleKeys(TBookHandle &handle) {
    return [&handle](const std::string &after, const std::function<bool(std::string_view)> &visit) {
        std::string last = after;
        for (std::uint32_t slice = kFirstSlice;; slice = kSlice) {
            std::string list;
            const std::int32_t code = handle.Keys(last, slice, list);
            if (code == lexqapi::LEXQ_ERR_WORDNOTFOUND)
                return true;
            if (code != lexqapi::LEXQ_ERR_NONE || list.empty() || list.back() != '\n')
                return false;
            std::string_view rest = list;
            while (!rest.empty()) {
                const std::string_view key = rest.substr(0, rest.find('\n'));
                // Each key follows the one before; anything else would walk in circles.
                if (key.empty() || key <= std::string_view(last))
                    return false;
                last.assign(key);
                rest.remove_prefix(key.size() + 1);
                if (!visit(key))
                    return true;
            }
        }
    };
}

TPatternAnswer FindPattern(TBookSearcher &book, const pattern::TPattern &pattern,
                           std::size_t limit) {
    // The letters A to Z and a UTF-8 book's keys are of two rules.
    const bool utf8 = book.Handle().Utf8();
    if (utf8 != pattern.Utf8())
        return {};
    TPatternMatches found;
    {
        const std::lock_guard<std::mutex> lock(book.IndexMutex());
        books::ArticleIndex::OpenStatus status;
        books::ArticleIndex *index =
            pattern.FixedStart().empty() ? book.Index().Get(status) : nullptr;
        found = FindPatternKeys(pattern, limit, HandleKeys(book.Handle()), index);
        if (found.Failed && found.Walked == TPatternMatches::Route::Suffix) {
            // A damaged index: every key answers instead, and the index is not read again.
            book.Index().Refuse();
            found = FindPatternKeys(pattern, limit, HandleKeys(book.Handle()), nullptr);
        }
    }
    TPatternAnswer answer;
    answer.Total = found.Total;
    answer.Failed = found.Failed;
    for (const std::string &key : found.Keys) {
        const std::vector<TKeyRow> rows = utf8 ? book.PrefixUtf8(key, 1) : book.Prefix(key, 1);
        answer.Headwords.push_back(!rows.empty() ? rows.front().Headword
                                   : utf8        ? books::Utf8ToCp1252WithReferences(key)
                                                 : key);
    }
    return answer;
}

const pattern::TPattern *TBookPattern::For(bool utf8Book) const {
    const std::optional<pattern::TPattern> &reading = utf8Book ? Utf8 : Cp1252;
    return reading ? &*reading : nullptr;
}

std::optional<TBookPattern> ReadBookPattern(const std::string &typed, std::string &error) {
    TBookPattern pattern;
    std::string reason;
    if (const std::optional<std::string> text = platform::Utf8ToCp1252Exact(typed)) {
        pattern.Cp1252 = pattern::TPattern::Read(*text, reason);
        if (!pattern.Cp1252) {
            error = platform::Cp1252ToUtf8(reason);
            return std::nullopt;
        }
        pattern.Utf8 = pattern::TPattern::ReadUtf8(typed, reason);
        return pattern;
    }
    pattern.Utf8 = pattern::TPattern::ReadUtf8(typed, error);
    if (!pattern.Utf8)
        return std::nullopt;
    return pattern;
}

TPatternAnswer FindPattern(TBookSearcher &book, const TBookPattern &pattern, std::size_t limit) {
    const pattern::TPattern *reading = pattern.For(book.Handle().Utf8());
    return reading != nullptr ? FindPattern(book, *reading, limit) : TPatternAnswer();
}

TArticleAnswer FindArticles(TBookSearcher &book, const std::string &query, std::size_t limit,
                            bool excerpts) {
    const std::lock_guard<std::mutex> lock(book.IndexMutex());
    TBookHandle &handle = book.Handle();
    return SearchArticles(book.Index(), query, limit,
                          excerpts ? TBodies([&handle](const std::string &headword) {
                              return HandleBodies(handle, headword);
                          })
                                   : TBodies(),
                          book.Book().Name);
}

namespace {

std::shared_ptr<TBookAnswer> Block(TBookSearcher &book, const std::string &typed) {
    auto answer = std::make_shared<TBookAnswer>();
    answer->Place = book.Place();
    answer->Book = &book.Book();
    answer->Typed = typed;
    return answer;
}

}  // namespace

std::shared_ptr<const TBookAnswer> PatternBlock(TBookSearcher &book,
                                                const pattern::TPattern &pattern,
                                                const std::string &typed) {
    const TPatternAnswer found = FindPattern(book, pattern, kPatternPageLimit);
    auto block = Block(book, typed);
    if (found.Failed) {
        block->Rank = TAnswerRank::Failed;
        block->Notice = "De trefwoorden van dit woordenboek kunnen niet worden gelezen.";
        return block;
    }
    if (found.Total == 0)
        return nullptr;
    block->Listing = PatternLines(found.Headwords, found.Total, typed);
    block->Listed = found.Total;
    return block;
}

std::shared_ptr<const TBookAnswer> PatternBlock(TBookSearcher &book, const TBookPattern &pattern,
                                                const std::string &typed) {
    const pattern::TPattern *reading = pattern.For(book.Handle().Utf8());
    return reading != nullptr ? PatternBlock(book, *reading, typed) : nullptr;
}

std::shared_ptr<const TBookAnswer> ArticlesBlock(TBookSearcher &book, const std::string &query,
                                                 const std::string &typed) {
    const TArticleAnswer found = FindArticles(book, query, kArticlePageLimit, /*excerpts=*/true);
    auto block = Block(book, typed);
    if (found.Trouble != TArticleAnswer::Problem::None) {
        // A book without an index says so in its block; the others still answer.
        block->Rank = TAnswerRank::Failed;
        block->Notice = platform::Cp1252ToUtf8(found.Message);
        return block;
    }
    if (found.Total == 0)
        return nullptr;
    block->Listing = ArticleLines(found, typed);
    block->Listed = found.Total;
    return block;
}
