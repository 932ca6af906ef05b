#include "encoding.h"

#include "hive.h"

namespace platform {

bool IsUtf8(std::string_view text) {
    char32_t code = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t used = DecodeUtf8(text, i, code);
        if (used == 0)
            return false;
        i += used;
    }
    return true;
}

std::string UserTextToUtf8(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return IsUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

std::optional<std::string> Utf8ToCp1252Exact(std::string_view utf8, char32_t *unrepresentable) {
    std::string out;
    out.reserve(utf8.size());
    char32_t code = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t used = DecodeUtf8(utf8, i, code);
        const unsigned char byte = used == 0 ? '?' : UnicodeToCp1252(code);
        if (used == 0 || (byte == '?' && code != '?')) {
            if (unrepresentable != nullptr)
                *unrepresentable = used == 0 ? U'\uFFFD' : code;
            return std::nullopt;
        }
        out += static_cast<char>(byte);
        i += used;
    }
    return out;
}

bool EqualNoCaseUtf8(std::string_view a, std::string_view b) {
    return SameFoldedName(a, b);
}

}  // namespace platform
