#include <windows.h>

#include "lasterror.h"
#include "paths.h"
#include "wide_text_win.h"

namespace platform {

namespace {

DWORD Attributes(const std::string &path) {
    return ::GetFileAttributesW(win::WidePath(path).c_str());
}

bool IsDelimiter(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

std::string ProgramPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            win::RecordSystemError();
            return {};
        }
        if (n < buffer.size())
            return win::Narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string TempDirectory() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH)
        return {};
    const std::string folder = win::Narrow(std::wstring_view(buffer, n));
    return DirectoryExists(folder) ? IncludeTrailingDelimiter(folder) : std::string();
}

bool FileExists(const std::string &path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string &path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::string &path) {
    if (path.empty())
        return false;
    if (DirectoryExists(path))
        return true;
    std::string folder = path;
    while (folder.size() > 1 && IsDelimiter(folder.back()))
        folder.pop_back();
    const std::size_t slash = folder.find_last_of("\\/");
    // "C:" and "\\server\share" are made by nobody here.
    if (slash != std::string::npos && slash > 0 && !ForceDirectories(folder.substr(0, slash)))
        return false;
    if (!::CreateDirectoryW(win::WidePath(folder).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS) {
        win::RecordSystemError();
        return false;
    }
    return DirectoryExists(folder);
}

}  // namespace platform
