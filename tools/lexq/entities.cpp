#include "entities.h"

#include "platform/cp1252.h"

namespace lexq {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// More digits than any code point needs; longer numbers are out of range anyway.
constexpr std::size_t kMaxDigits = 8;

bool IsDigit(char c, int base) {
    if (c >= '0' && c <= '9')
        return true;
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char32_t CheckedCode(char32_t code, bool overflow) {
    if (overflow || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return kReplacement;
    if (code >= 0x80 && code <= 0x9F)
        return platform::Cp1252ToUnicode(static_cast<unsigned char>(code));
    return code;
}

std::optional<char32_t> ReadNumeric(std::string_view text, std::size_t &length) {
    std::size_t pos = 2;  // after "&#"
    int base = 10;
    if (pos < text.size() && (text[pos] == 'x' || text[pos] == 'X')) {
        base = 16;
        ++pos;
    }
    const std::size_t first = pos;
    char32_t code = 0;
    bool overflow = false;
    while (pos < text.size() && IsDigit(text[pos], base)) {
        if (pos - first >= kMaxDigits)
            overflow = true;
        else
            code =
                code * static_cast<char32_t>(base) + static_cast<char32_t>(DigitValue(text[pos]));
        ++pos;
    }
    if (pos == first)
        return std::nullopt;
    if (pos < text.size() && text[pos] == ';')
        ++pos;
    length = pos;
    return CheckedCode(code, overflow);
}

}  // namespace

std::optional<char32_t> ReadReference(std::string_view text, std::size_t &length) {
    if (text.size() < 3 || text[0] != '&')
        return std::nullopt;
    if (text[1] == '#')
        return ReadNumeric(text, length);
    std::size_t pos = 1;
    while (pos < text.size() && IsNameChar(text[pos]))
        ++pos;
    if (pos == 1 || pos >= text.size() || text[pos] != ';')
        return std::nullopt;
    const auto code = NamedEntity(text.substr(1, pos - 1));
    if (code)
        length = pos + 1;
    return code;
}

}  // namespace lexq
