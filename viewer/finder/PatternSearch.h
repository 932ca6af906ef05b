// A pattern over the open book's keys: the keys that match, in key order. A pattern with
// a fixed start walks only the range of keys with that start; one with a fixed end and a
// wildcard before it walks the range of the article index's reversed keys with that end;
// only a pattern fixed at neither end reads every key. Runs on the thread that searches.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/finder/Pattern.h"

namespace books {
class ArticleIndex;
}

// How many matching headwords a pattern page lists.
inline constexpr std::size_t kPatternPageLimit = 1000;

struct TPatternMatches {
    enum class Route { Prefix, Suffix, AllKeys };
    std::vector<std::string> Keys;  // at most the limit, in key order
    std::size_t Total = 0;          // every matching key
    Route Walked = Route::AllKeys;
    bool Failed = false;  // the library or the index failed: Keys may be incomplete
};

// Walks the keys greater than after in key order, handing each to visit until it returns
// false; false when the walk failed.
using TForwardKeys =
    std::function<bool(const std::string &after, const std::function<bool(std::string_view)> &)>;

// The book's keys through the search library (the open book).
TForwardKeys LibraryKeys();

// The keys of pattern, at most limit of them; reversed may be null (no article index),
// and then a pattern with only a fixed end reads every key.
TPatternMatches FindPatternKeys(const pattern::TPattern &pattern, std::size_t limit,
                                const TForwardKeys &forward, books::ArticleIndex *reversed);

// "N trefwoorden passen bij 'PATROON'." (in the encoding of typed: Windows-1252 or UTF-8).
std::string PatternSentence(std::size_t total, const std::string &typed);

// The pattern page's lines: the sentence, each headword a link that searches it, and a
// line with how many more matched than are listed.
std::string PatternLines(const std::vector<std::string> &headwords, std::size_t total,
                         const std::string &typed);

// "Het patroon 'X' klopt niet: ..." for a pattern the reader refused.
std::string PatternError(const std::string &typed, const std::string &reason);
