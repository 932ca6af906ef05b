// Which text is in which encoding, and the conversions at the edge between the two.
//
// File names, paths, the environment, the command line, the terminal, the registry's .reg
// files and the text files a user edits (dict.cfg, the books' .def files) are UTF-8.
// Windows-1252 is used only where a stored format or the search library's interface fixes
// it: dictionary contents, the text passed to and returned by lexqapi, and the result page
// built from it. A text changes encoding at one edge, through the functions here; a
// character that Windows-1252 lacks is refused there with a clear message, never turned
// into '?'. A user-edited text file is read as UTF-8 when it is valid UTF-8 (a byte-order
// mark is ignored), else as Windows-1252.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cp1252.h"

namespace platform {

bool IsUtf8(std::string_view text);

// A user-edited text as UTF-8: without a leading byte-order mark, the text itself when it
// is valid UTF-8, else its bytes read as Windows-1252.
std::string UserTextToUtf8(std::string_view bytes);

// UTF-8 text as Windows-1252 bytes; nothing when the text is not valid UTF-8 or holds a
// character the code page lacks (the caller says so instead of passing on a '?'). Then
// `unrepresentable`, when given, receives that character (U+FFFD for a byte that is no
// UTF-8).
std::optional<std::string> Utf8ToCp1252Exact(std::string_view utf8,
                                             char32_t *unrepresentable = nullptr);

// Equal ignoring case, for UTF-8 names (the Latin, Greek and Cyrillic letters), as the
// registry and the INI reader compare names.
bool EqualNoCaseUtf8(std::string_view a, std::string_view b);

}  // namespace platform
