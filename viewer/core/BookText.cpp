#include "viewer/core/BookText.h"

#include <atomic>

#include "foldtable.h"
#include "foldtable_utf8.h"
#include "platform/encoding.h"

namespace booktext {

namespace {
// Read by workers (type-ahead, suggestions) while the window opens books.
std::atomic<bool> g_utf8{false};
}  // namespace

void SetUtf8(bool utf8) {
    g_utf8 = utf8;
}

bool IsUtf8() {
    return g_utf8;
}

std::string ToUtf8(std::string_view bookText) {
    return IsUtf8() ? std::string(bookText) : platform::Cp1252ToUtf8(bookText);
}

std::optional<std::string> FromUtf8(std::string_view utf8, char32_t *unrepresentable) {
    if (!IsUtf8())
        return platform::Utf8ToCp1252Exact(utf8, unrepresentable);
    if (platform::IsUtf8(utf8))
        return std::string(utf8);
    if (unrepresentable != nullptr)
        *unrepresentable = U'\uFFFD';
    return std::nullopt;
}

std::string PageToUtf8(std::string_view page) {
    const std::string_view head = page.substr(0, page.find("</head>"));
    if (head.find(kUtf8PageMark) != std::string_view::npos)
        return std::string(page);
    return platform::Cp1252ToUtf8(page);
}

std::string FoldKey(std::string_view bookText) {
    if (IsUtf8())
        return lexq_fold_utf8_string(bookText);
    std::string key;
    key.reserve(bookText.size());
    for (const char byte : bookText)
        key += lexq_fold_table[static_cast<unsigned char>(byte)];
    return key;
}

}  // namespace booktext
