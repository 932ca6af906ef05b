#include "wide_text_win.h"

#include "encoding.h"
#include "lasterror.h"

namespace platform::win {

namespace {

std::wstring Convert(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), size, out.data(), n);
    return out;
}

}  // namespace

std::wstring Widen(std::string_view text) {
    return IsUtf8(text) ? Convert(CP_UTF8, MB_ERR_INVALID_CHARS, text) : Convert(CP_ACP, 0, text);
}

std::string Narrow(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring WidePath(std::string_view path) {
    std::wstring wide = Widen(path);
    for (wchar_t &c : wide)
        if (c == L'/')
            c = L'\\';
    const bool drive = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    const bool unc = wide.starts_with(L"\\\\") && !wide.starts_with(L"\\\\?\\");
    if (wide.size() >= MAX_PATH - 12 && (drive || unc)) {
        // The prefix turns off the system's own cleaning of "." and "..": do it first.
        DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        std::wstring full(n, L'\0');
        n = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
        if (n > 0 && n < full.size()) {
            full.resize(n);
            wide = unc ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
        }
    }
    return wide;
}

void RecordSystemError(DWORD code) {
    SetLastError(static_cast<int>(code), "");
}

void RecordSystemError() {
    RecordSystemError(::GetLastError());
}

}  // namespace platform::win
