#include "books/encoding.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace books {

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks the five bytes the code page leaves free.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t &pos) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra;
    char32_t cp;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + extra >= text.size())
        return std::nullopt;  // truncated at the end
    for (int i = 1; i <= extra; ++i) {
        const std::uint8_t next = byte(pos + i);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and values beyond Unicode are not characters.
    if (cp < minimum || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return std::nullopt;
    pos += extra + 1;
    return cp;
}

std::size_t AsciiEnd(std::string_view text, std::size_t pos) {
    // Eight bytes at a time: most of a book's text is ASCII.
    while (pos + 8 <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        if ((word & 0x8080808080808080u) != 0)
            break;
        pos += 8;
    }
    while (pos < text.size() && static_cast<std::uint8_t>(text[pos]) < 0x80)
        ++pos;
    return pos;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while ((pos = AsciiEnd(text, pos)) < text.size()) {
        if (!DecodeUtf8(text, pos))
            return false;
    }
    return true;
}

std::optional<std::uint8_t> ToCp1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<std::uint8_t>(codePoint);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == codePoint) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    return std::nullopt;
}

char32_t FromCp1252(std::uint8_t byte) {
    if (byte < 0x80 || byte >= 0xA0)
        return byte;
    const char32_t cp = kHighControls[byte - 0x80];
    return cp != 0 ? cp : 0xFFFD;
}

std::string Cp1252WithReferencesToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == '&' && pos + 3 < text.size() && text[pos + 1] == '#') {
            std::size_t end = pos + 2;
            std::uint32_t code = 0;
            while (end < text.size() && end - pos < 10 && text[end] >= '0' && text[end] <= '9')
                code = code * 10 + static_cast<std::uint32_t>(text[end++] - '0');
            if (end > pos + 2 && end < text.size() && text[end] == ';' && code > 0 &&
                code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                AppendUtf8(out, code);
                pos = end;
                continue;
            }
        }
        AppendUtf8(out, platform::Cp1252ToUnicode(static_cast<std::uint8_t>(text[pos])));
    }
    return out;
}

std::string Utf8ToCp1252WithReferences(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t ascii = AsciiEnd(utf8, pos);
        out.append(utf8.substr(pos, ascii - pos));
        if ((pos = ascii) == utf8.size())
            break;
        const std::optional<char32_t> cp = DecodeUtf8(utf8, pos);
        if (!cp) {  // callers validate first; never drop a byte unnoticed
            out += "&#65533;";
            ++pos;
            continue;
        }
        if (const auto byte = ToCp1252(*cp)) {
            out += static_cast<char>(*byte);
        } else {
            out += "&#" + std::to_string(static_cast<std::uint32_t>(*cp)) + ";";
        }
    }
    return out;
}

std::optional<std::string> Utf8ToCp1252Strict(std::string_view utf8, char32_t *unrepresentable) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t ascii = AsciiEnd(utf8, pos);
        out.append(utf8.substr(pos, ascii - pos));
        if ((pos = ascii) == utf8.size())
            break;
        const std::optional<char32_t> cp = DecodeUtf8(utf8, pos);
        const auto byte = cp ? ToCp1252(*cp) : std::nullopt;
        if (!byte) {
            if (unrepresentable != nullptr)
                *unrepresentable = cp ? *cp : 0xFFFD;
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (const char c : cp1252)
        AppendUtf8(out, FromCp1252(static_cast<std::uint8_t>(c)));
    return out;
}

std::string CodePointName(char32_t codePoint) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
    return name;
}

}  // namespace books
