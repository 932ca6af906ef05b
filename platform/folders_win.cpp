#include <windows.h>

#include "folders.h"
#include "lasterror.h"
#include "wide_text_win.h"

namespace platform {

namespace {

DWORD Attributes(const std::string &path) {
    return ::GetFileAttributesW(win::WidePath(path).c_str());
}

// Opens a file or folder for its identity only, without following a link.
HANDLE OpenForIdentity(const std::string &path, DWORD flags) {
    return ::CreateFileW(win::WidePath(path).c_str(), 0,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

}  // namespace

}  // namespace platform

namespace platform::win {

bool DeleteLinkItself(const std::string &path) {
    const HANDLE link = ::CreateFileW(
        win::WidePath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (link == INVALID_HANDLE_VALUE) {
        win::RecordSystemError();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    const bool isLink = ::GetFileInformationByHandle(link, &info) &&
                        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool deleted =
        isLink && ::SetFileInformationByHandle(link, FileDispositionInfo, &dispose, sizeof dispose);
    if (!deleted)
        win::RecordSystemError(isLink ? ::GetLastError() : ERROR_NOT_SUPPORTED);
    ::CloseHandle(link);
    return deleted;
}

}  // namespace platform::win

namespace platform {

bool DeleteFileEntry(const std::string &path) {
    const std::wstring wide = win::WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return win::DeleteLinkItself(path);
    if (::DeleteFileW(wide.c_str()))
        return true;
    win::RecordSystemError();
    return false;
}

bool IsRealFolder(const std::string &path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool IsRealFile(const std::string &path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool IsAbsolutePath(const std::string &path) {
    const auto delimiter = [&path](std::size_t i) {
        return i < path.size() && (path[i] == '\\' || path[i] == '/');
    };
    const bool drive = path.size() >= 3 && path[1] == ':' && delimiter(2) &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || (delimiter(0) && delimiter(1));
}

bool SameFile(const std::string &a, const std::string &b) {
    const HANDLE first = OpenForIdentity(a, 0);
    const HANDLE second = OpenForIdentity(b, 0);
    BY_HANDLE_FILE_INFORMATION one{}, two{};
    const bool same =
        first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
        ::GetFileInformationByHandle(first, &one) && ::GetFileInformationByHandle(second, &two) &&
        one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
        one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
    if (first != INVALID_HANDLE_VALUE)
        ::CloseHandle(first);
    if (second != INVALID_HANDLE_VALUE)
        ::CloseHandle(second);
    return same;
}

std::string ModuleFileName(const void *address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module)) {
        win::RecordSystemError();
        return {};
    }
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            win::RecordSystemError();
            return {};
        }
        if (n < buffer.size())
            return win::Narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::FILE *OpenFileStream(const std::string &path, const char *mode) {
    return ::_wfopen(win::WidePath(path).c_str(), win::Widen(mode).c_str());
}

}  // namespace platform
