// Windows-1252 text to and from UTF-8, bijective so that any byte string survives a
// round trip (the five unassigned bytes map to the C1 control points of the same number).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

std::string Cp1252ToUtf8(std::string_view bytes);
// Bytes that are not valid UTF-8 are taken as Windows-1252 bytes as they stand (a file
// written by a Windows-1252 editor); characters outside the code page become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

char32_t Cp1252ToUnicode(unsigned char byte);
// Decodes the well-formed UTF-8 sequence at s[i] into `code`; the number of bytes it
// takes, or 0 when there is none (a stray, cut-off, overlong or surrogate sequence).
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t &code);
// Appends a code point as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
void AppendUtf8(std::string &out, char32_t code);
// The byte for a code point, or '?' when the code page has none.
unsigned char UnicodeToCp1252(char32_t code);

// Upper case of a Windows-1252 letter (ASCII and the accented letters); others unchanged.
unsigned char Cp1252Upper(unsigned char byte);
// Equal ignoring case, as key names compare.
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace platform
