// Words without letters ("8086", "404", ":-)", "++") fold to no search key, so the
// dictionary file cannot find them. Their entries are kept beside the book, in NAME.exact,
// for the word typed exactly:
//
//   TAALKIST-EXACT 1
//   WORD <tab> HEADWORD <tab> DIR <tab> BODY      one line per word, Windows-1252
//
// with "\\", "\t", "\n" and "\r" written for a backslash, tab, line feed and carriage
// return inside a field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "books/keys.h"

namespace books {

inline constexpr std::string_view kExactWordsEnding = ".exact";

// The list's file beside a dictionary file: "nl.idx" gives "nl.exact".
std::string ExactWordsPath(const std::string &indexPath);

std::string ExactWordsText(const std::vector<ExactWord> &words);

// The words of a list's text; lines that are not four fields are left out, and a text
// without the first line gives none.
std::vector<ExactWord> ParseExactWords(std::string_view text);

// Reads the list beside a dictionary file; none when it is missing, unreadable or larger
// than a list of such words can be.
std::vector<ExactWord> ReadExactWords(const std::string &indexPath);

// Whether a text (Windows-1252) holds a digit or sign: a character that folds to no letter
// and is no blank.
bool HoldsSigns(std::string_view cp1252);

}  // namespace books
