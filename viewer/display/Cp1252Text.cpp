#include "Cp1252Text.h"

#include <array>

namespace display {

namespace {

// 0x80-0x9F; 0 marks the five bytes the code page leaves undefined, which are then
// passed through as the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighBlock = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t Decode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t mapped = kHighBlock[byte - 0x80];
        return mapped != 0 ? mapped : char16_t(byte);
    }
    return char16_t(byte);
}

}  // namespace

QString Cp1252ToQString(std::string_view bytes) {
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar *out = text.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = QChar(Decode(static_cast<unsigned char>(bytes[i])));
    return text;
}

std::string QStringToCp1252(const QString &text) {
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        char byte = '?';
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            byte = static_cast<char>(u);
        } else {
            for (std::size_t i = 0; i < kHighBlock.size(); ++i) {
                const char16_t mapped = kHighBlock[i] != 0 ? kHighBlock[i] : char16_t(0x80 + i);
                if (mapped == u) {
                    byte = static_cast<char>(0x80 + i);
                    break;
                }
            }
        }
        bytes.push_back(byte);
    }
    return bytes;
}

}  // namespace display
