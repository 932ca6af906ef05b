#include "lasterror.h"

#include <cstring>

namespace platform {

namespace {
thread_local int g_code = 0;
thread_local std::string g_text;
}  // namespace

std::string LastErrorText() { return g_text.empty() ? SystemErrorText(g_code) : g_text; }

int LastErrorCode() { return g_code; }

void SetLastError(int code, std::string text) {
    g_code = code;
    g_text = std::move(text);
}

std::string SystemErrorText(int code) {
    char buffer[256];
    // GNU strerror_r returns the text, which need not live in the buffer.
    return ::strerror_r(code, buffer, sizeof buffer);
}

}  // namespace platform
