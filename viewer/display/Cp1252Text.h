// Windows-1252 bytes to Qt text and back, including the 0x80-0x9F block (euro, curly
// quotes, OE ligature...) that a plain Latin-1 conversion gets wrong.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace display {

QString Cp1252ToQString(std::string_view bytes);

// Characters without a Windows-1252 byte become '?'.
std::string QStringToCp1252(const QString &text);

}  // namespace display
