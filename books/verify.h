// Checks a compiled dictionary through the search library against its source: every
// key must give exactly its rows, in source order, byte for byte.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "books/keys.h"
#include "books/search_library.h"

namespace books {

// The result text the search library must give when key itself is searched.
std::string ExpectedTable(const std::string &key, const std::vector<std::uint32_t> &hits,
                          const std::vector<Triple> &triples);

struct VerifyReport {
    std::size_t keysChecked = 0;
    std::size_t rowsChecked = 0;
    std::size_t keysFailed = 0;
    std::vector<std::string> mismatches;  // the first few, readable
    bool Ok() const { return keysFailed == 0 && keysChecked > 0; }
};

VerifyReport VerifyDictionary(SearchLibrary &library, const std::string &path,
                              const KeyTable &table);

}  // namespace books
