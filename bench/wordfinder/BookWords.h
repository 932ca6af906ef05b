// Headwords and search keys of a book, read from the files it is made of, for the word
// finder's measurements.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// The search key of a UTF-8 word, as the search library folds it.
std::string FoldUtf8(std::string_view utf8);

// The "kw:" and "key:" words of a dictionary source file (books/FORMAT.md), UTF-8.
std::vector<std::string> SourceWords(const std::string &path);
// The headwords of a dictd index (one "word<TAB>offset<TAB>length" line each), UTF-8,
// without the index's own "00-database" entries.
std::vector<std::string> DictdWords(const std::string &path);

// The distinct, non-empty keys of words.
std::unordered_set<std::string> KeySet(const std::vector<std::string> &words);
