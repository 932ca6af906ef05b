// The open book's texts (the search library's words and the result page: Windows-1252, or
// UTF-8 for a UTF-8 book) at the edge of the Qt user interface.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "viewer/core/BookText.h"

namespace cp1252 {

inline QString ToQString(std::string_view text) {
    return QString::fromStdString(booktext::ToUtf8(text));
}
// Nothing when the text holds a character the code page lacks: never a '?' in its place.
inline std::optional<std::string> FromQString(const QString &text) {
    return booktext::FromUtf8(text.toStdString());
}

}  // namespace cp1252
