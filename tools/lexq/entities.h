// Character references of HTML ("&amp;", "&#596;", "&#x254;") and UTF-8 output, for turning
// result pages into terminal text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace lexq {

// The code point of a named reference without "&" and ";" ("eacute"), case-sensitive.
std::optional<char32_t> NamedEntity(std::string_view name);

// Reads a reference at the start of text, which begins with "&". On success returns the
// code point and sets length to the bytes it spans (with its ";"). Named references need
// their ";", numeric ones not. Numbers that name no character (0, surrogates, beyond
// U+10FFFF) give U+FFFD; 128 to 159 are read as Windows-1252 bytes, as browsers do.
std::optional<char32_t> ReadReference(std::string_view text, std::size_t &length);

// Appends the code point as UTF-8; an invalid one as U+FFFD.
using platform::AppendUtf8;

}  // namespace lexq
