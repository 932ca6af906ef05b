// Text encodings of the compiler: UTF-8 sources in, Windows-1252 stored text out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace books {

// Decodes one UTF-8 sequence at text[pos]; advances pos past it. Returns nullopt for
// an invalid sequence (bad lead byte, truncated, overlong, surrogate, > U+10FFFF);
// pos then points at the offending byte.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t &pos);

// True when the whole text is valid UTF-8.
bool IsValidUtf8(std::string_view text);
// The end of the run of ASCII bytes that starts at pos (pos itself when there is none).
std::size_t AsciiEnd(std::string_view text, std::size_t pos);

// The Windows-1252 byte of a code point, or nullopt when the code page has none.
std::optional<std::uint8_t> ToCp1252(char32_t codePoint);

// The code point of a Windows-1252 byte (the five unassigned bytes map to U+FFFD).
char32_t FromCp1252(std::uint8_t byte);

using platform::AppendUtf8;

// UTF-8 (assumed valid) to Windows-1252; a character without a Windows-1252 byte
// becomes the HTML reference "&#N;". Used for bodies, which are HTML.
std::string Utf8ToCp1252WithReferences(std::string_view utf8);
// Its inverse: Windows-1252 text whose decimal references "&#N;" name characters beyond
// the code page, as UTF-8 (a reference to no character stays as it is written); without
// references the same as platform::Cp1252ToUtf8.
std::string Cp1252WithReferencesToUtf8(std::string_view text);

// UTF-8 (assumed valid) to Windows-1252, or nullopt with the first character that
// cannot be represented in *unrepresentable. Used for headwords and keys.
std::optional<std::string> Utf8ToCp1252Strict(std::string_view utf8,
                                              char32_t *unrepresentable = nullptr);

std::string Cp1252ToUtf8(std::string_view cp1252);

// "U+0133" for messages.
std::string CodePointName(char32_t codePoint);

}  // namespace books
