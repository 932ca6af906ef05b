// printf-like formatting of texts (UTF-8 in dialogs, Windows-1252 in the result page):
// "%s" takes a text, "%d" an integer and "%%" is a percent sign. Arguments are inserted
// unchanged, never re-read as formats.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

using TFormatArg = std::variant<std::string, std::int64_t>;

// Raises EConvertError when a placeholder has no argument of its kind, an argument is
// left over, or the format holds a placeholder other than %s, %d and %%.
std::string Format(std::string_view format, std::initializer_list<TFormatArg> args);
