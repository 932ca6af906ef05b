// Windows-1252 texts at the edge of the Qt user interface, through the platform's code page.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace cp1252 {

inline QString ToQString(std::string_view text) {
    return QString::fromStdString(platform::Cp1252ToUtf8(text));
}
inline std::string FromQString(const QString &text) {
    return platform::Utf8ToCp1252(text.toStdString());
}

}  // namespace cp1252
