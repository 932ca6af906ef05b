// Between this layer's 8-bit texts and the Windows API's UTF-16 (Windows backends only).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform::win {

// A text of this layer as UTF-16: UTF-8 when it is valid UTF-8, else bytes of the
// system's ANSI code page, as an older 8-bit caller passes them.
std::wstring Widen(std::string_view text);
// UTF-16 as UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string Narrow(std::wstring_view text);
// A path for the wide file calls: '/' read as '\', and a long absolute path given the
// "\\?\" prefix that lifts the 260-character limit.
std::wstring WidePath(std::string_view path);

// Deletes a link (symbolic link or junction) itself, through a handle to the link. A
// system that opens the link's target instead is not asked to delete anything: false.
bool DeleteLinkItself(const std::string &path);

// Records the calling thread's Windows error (GetLastError) as this layer's last error.
void RecordSystemError();
void RecordSystemError(DWORD code);

}  // namespace platform::win
