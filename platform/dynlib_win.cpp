#include <windows.h>

#include "dynlib.h"
#include "lasterror.h"
#include "paths.h"
#include "wide_text_win.h"

namespace platform {

std::string NativeLibraryName(std::string_view windowsName) {
    // Windows names are this system's names.
    return std::string(windowsName);
}

namespace {

LibHandle Loaded(HMODULE module) {
    if (module == nullptr)
        win::RecordSystemError();
    return reinterpret_cast<LibHandle>(module);
}

}  // namespace

LibHandle LoadLibraryByName(std::string_view windowsName) {
    const std::string beside = ProgramDir() + kPathDelim + std::string(windowsName);
    if (FileExists(beside))
        return LoadLibraryFromPath(beside);
    // The usual search order without the current folder, where anybody may have put a
    // library of that name.
    const std::wstring name = win::Widen(windowsName);
    HMODULE module = ::LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryW(name.c_str());
    return Loaded(module);
}

LibHandle LoadLibraryFromPath(const std::string &path) {
    // The libraries it needs in turn are looked for beside it first.
    return Loaded(
        ::LoadLibraryExW(win::WidePath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void *FindExport(LibHandle library, const char *name) {
    if (library == nullptr)
        return nullptr;
    FARPROC address = ::GetProcAddress(reinterpret_cast<HMODULE>(library), name);
    if (address == nullptr)
        win::RecordSystemError();
    return reinterpret_cast<void *>(address);
}

void FreeLibraryHandle(LibHandle library) {
    if (library != nullptr)
        ::FreeLibrary(reinterpret_cast<HMODULE>(library));
}

}  // namespace platform
