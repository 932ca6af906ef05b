// The last failure of a platform call on this thread, kept the same way on every system.
#include "lasterror.h"

namespace platform {

namespace {
thread_local int g_code = 0;
thread_local std::string g_text;
}  // namespace

std::string LastErrorText() {
    return g_text.empty() ? SystemErrorText(g_code) : g_text;
}

int LastErrorCode() {
    return g_code;
}

void SetLastError(int code, std::string text) {
    g_code = code;
    g_text = std::move(text);
}

}  // namespace platform
