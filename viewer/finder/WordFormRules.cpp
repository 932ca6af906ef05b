#include "WordFormRules.h"

#include <cstdint>

#include "platform/cp1252.h"

namespace wordrules {
namespace {

// The next code point of valid UTF-8 at text[i], advancing i; -1 for a malformed sequence
// (overlong forms, surrogates and values past U+10FFFF included).
long NextCodePoint(std::string_view text, std::size_t &i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    std::size_t length;
    long code;
    long minimum;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return -1;
    }
    if (text.size() - i < length)
        return -1;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return -1;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return -1;
    i += length;
    return code;
}

char32_t LowerCase(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    switch (c) {
        case 0x152:  // Œ
        case 0x160:  // Š
        case 0x17D:  // Ž
            return c + 1;
        case 0x178:  // Ÿ
            return 0xFF;
        default:
            return c;
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string NormaliseWord(std::string_view utf8) {
    while (!utf8.empty() && IsBlank(utf8.front()))
        utf8.remove_prefix(1);
    while (!utf8.empty() && IsBlank(utf8.back()))
        utf8.remove_suffix(1);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (const auto byte = static_cast<std::uint8_t>(utf8[i]); byte < 0x80) {
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            ++i;
            continue;
        }
        const long code = NextCodePoint(utf8, i);
        if (code < 0)
            return {};
        const char32_t c = LowerCase(static_cast<char32_t>(code));
        if (c == 0x132 || c == 0x133)  // the Dutch ligature ĳ
            out += "ij";
        else if (c == 0x2018 || c == 0x2019)  // typographic apostrophes
            out += '\'';
        else
            platform::AppendUtf8(out, c);
    }
    return out;
}

bool LooksLikeWord(std::string_view word) {
    // Longer words are not typed ones; the bound also keeps every rule cheap.
    if (word.empty() || word.size() > 64)
        return false;
    bool letter = false;
    for (const char c : word) {
        const auto b = static_cast<std::uint8_t>(c);
        if ((b >= 'a' && b <= 'z') || b >= 0x80)
            letter = true;
        else if (b != '\'' && b != '-' && b != ' ')
            return false;
    }
    return letter;
}

}  // namespace wordrules
