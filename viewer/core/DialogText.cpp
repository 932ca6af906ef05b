#include "viewer/core/DialogText.h"

#include <cstdio>
#include <optional>

#include "platform/encoding.h"

std::string DialogText(const std::string &utf8) {
    if (const std::optional<std::string> exact = platform::Utf8ToCp1252Exact(utf8))
        return *exact;
    std::string text;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        const std::size_t used = platform::DecodeUtf8(utf8, i, code);
        if (used == 0) {
            text += utf8[i++];
            continue;
        }
        const unsigned char byte = platform::UnicodeToCp1252(code);
        if (byte == '?' && code != U'?') {
            char name[16];
            std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
            text += name;
        } else {
            text += static_cast<char>(byte);
        }
        i += used;
    }
    return text;
}
