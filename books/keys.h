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

struct KeyTable {
    std::vector<Triple> triples;  // in order of first appearance in the source
    // Folded key -> indexes into triples, in source order. std::map orders the keys
    // byte-wise as unsigned values, the order of the dictionary file.
    std::map<std::string, std::vector<std::uint32_t>> keys;
    std::size_t LargestHitList() const;
};

// Folds a Windows-1252 text into a search key through the shared fold table.
std::string FoldKey(std::string_view cp1252);

// Folds every headword and extra key. A key that folds to nothing is skipped with a
// warning; a key longer than maxKeyLength, or with more hits than maxHits, is an error.
KeyTable CollectKeys(const std::vector<SourceEntry> &entries, Diagnostics &diag,
                     std::size_t maxKeyLength, std::size_t maxHits);

}  // namespace books
