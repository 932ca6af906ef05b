// From entries to search keys: folding, and each key's hit list in source order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "books/diagnostics.h"
#include "books/source.h"

namespace books {

// The three strings of one hit; identical triples are stored once.
struct Triple {
    std::string s1, s2, s3;
    bool operator==(const Triple &) const = default;
};

// A word without letters and the entry it names: found only when typed as it is
// (exact_words.h).
struct ExactWord {
    std::string word;  // as the book spells it
    Triple entry;      // headword, direction, body
};

struct KeyTable {
    std::vector<Triple> triples;  // in order of first appearance in the source
    // Folded key -> indexes into triples, in source order. std::map orders the keys
    // byte-wise as unsigned values, the order of the dictionary file.
    std::map<std::string, std::vector<std::uint32_t>> keys;
    // Words that fold to no key ("8086", ":-)"), in source order.
    std::vector<ExactWord> exact;
    std::size_t LargestHitList() const;
};

// Folds a Windows-1252 text into a search key through the shared fold table.
std::string FoldKey(std::string_view cp1252);
// Folds a UTF-8 text by the rule of UTF-8 books (searchlib/foldtable_utf8.h); a text that
// is no UTF-8 folds to nothing.
std::string FoldKeyUtf8(std::string_view utf8);
// The key of a text of a book of that kind.
std::string FoldKeyFor(TextKind kind, std::string_view text);

// The search keys of one entry, the headword's first, each once, with their lines; words
// of digits and signs go to exact. Warns as CollectKeys does; no keys and no exact word:
// the entry is skipped.
std::vector<std::pair<std::string, int>> EntryKeys(const SourceEntry &entry, Diagnostics &diag,
                                                   std::size_t maxKeyLength,
                                                   std::vector<ExactWord> &exact,
                                                   TextKind kind = TextKind::Cp1252);

// The error for a key with more hits than a file can hold.
std::string TooManyHits(const std::string &key, std::size_t hits, std::size_t maxHits);

// Folds every headword and extra key. A word that folds to nothing but holds a digit or
// sign goes to the exact words, with a warning; an entry with no key and no such word is
// skipped with a warning; a key longer than maxKeyLength, or with more hits than maxHits, is an
// error.
KeyTable CollectKeys(const std::vector<SourceEntry> &entries, Diagnostics &diag,
                     std::size_t maxKeyLength, std::size_t maxHits,
                     TextKind kind = TextKind::Cp1252);

}  // namespace books
