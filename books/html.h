// The small pieces of HTML that every book's page and the word finder's lines write alike:
// text escaped for the page, and the links that search a word.
#pragma once

#include <string>
#include <string_view>

namespace books {

// The scheme of links that search: <a href="zoek:WORD">, WORD in UTF-8 with every byte
// outside A-Z a-z 0-9 - . _ ~ percent-encoded. A click runs a search for WORD.
inline constexpr std::string_view kSearchLinkScheme = "zoek:";

// &, <, > and " as references; control characters as blanks (they have no place in HTML
// text, and a blank keeps words apart). Bytes from 0x80 pass unchanged, so the text may be
// UTF-8 or Windows-1252.
std::string EscapeHtml(std::string_view text);

// The href of a link that searches for word (UTF-8).
std::string SearchLink(std::string_view utf8Word);

}  // namespace books
