// A UTF-8 text (a message from the compiler, a file name, a credit line) made ready for the
// dialogs, which show Windows-1252.
#pragma once

#include <string>

// Exactly when every character fits the code page; else each one that does not is written
// as its code point ("U+0416") rather than lost as "?". Bytes that are no UTF-8 are kept
// as they are, as Windows-1252.
std::string DialogText(const std::string &utf8);
