// The encoding of the open book's texts. A book of the first kind holds Windows-1252 text
// and keys of the letters A to Z; a UTF-8 book holds UTF-8 text and keys by the rule of
// searchlib/foldtable_utf8.h. The viewer's core keeps every word, keyword and page in the
// open book's encoding and converts at the edge through these functions, which follow the
// book opened last (one book is open at a time, as in the search library).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace booktext {

// Set when a book is opened: whether it is a UTF-8 book.
void SetUtf8(bool utf8);
bool IsUtf8();

// A text of the open book as UTF-8.
std::string ToUtf8(std::string_view bookText);
// UTF-8 as a text of the open book; nothing when the text is no UTF-8 or, for a
// Windows-1252 book, holds a character the code page lacks (then in *unrepresentable, as
// platform::Utf8ToCp1252Exact gives it).
std::optional<std::string> FromUtf8(std::string_view utf8, char32_t *unrepresentable = nullptr);

// The line a UTF-8 book's result page carries in its head.
inline constexpr std::string_view kUtf8PageMark = "<meta charset=\"utf-8\">";
// A result page as UTF-8: as it is when its head says it is UTF-8, else read as
// Windows-1252 (every page of a Windows-1252 book, and pages made of such books' texts).
std::string PageToUtf8(std::string_view page);

// The search key of a text of the open book, as the search library folds it.
std::string FoldKey(std::string_view bookText);

}  // namespace booktext
