// Error texts on Windows: the system's own wording.
#include <windows.h>

#include <string>

#include "lasterror.h"
#include "wide_text_win.h"

namespace platform {

std::string SystemErrorText(int code) {
    wchar_t *buffer = nullptr;
    // In the user's default language, in a buffer the system allocates.
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::string text = n > 0 && buffer != nullptr ? win::Narrow(std::wstring_view(buffer, n)) : "";
    if (buffer != nullptr)
        ::LocalFree(buffer);
    // The system ends its texts with a line break, which a message continues itself.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace platform
