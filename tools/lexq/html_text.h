// Result-page markup as terminal text: tags dropped, block elements ending lines, list
// items numbered or bulleted, character references decoded; the open book's encoding in
// (viewer/core/BookText.h), UTF-8 out.
#pragma once

#include <string>
#include <string_view>

namespace lexq {

// Lines are joined by LF, trimmed at the end, with at most one empty line in a row and
// none at the start or end. Nested list items are indented by three blanks per level.
std::string HtmlToText(std::string_view html);

}  // namespace lexq
