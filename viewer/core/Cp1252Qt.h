// Windows-1252 texts (the search library's words and the result page) at the edge of the Qt
// user interface, through the platform's code page.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "platform/encoding.h"

namespace cp1252 {

inline QString ToQString(std::string_view text) {
    return QString::fromStdString(platform::Cp1252ToUtf8(text));
}
// Nothing when the text holds a character the code page lacks: never a '?' in its place.
inline std::optional<std::string> FromQString(const QString &text) {
    return platform::Utf8ToCp1252Exact(text.toStdString());
}

}  // namespace cp1252
