// The folders an uninstaller must never delete on Windows (see IsProtectedFolder).
#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "folders.h"
#include "wide_text_win.h"

namespace platform {

namespace {

// A folder setting can name anything, and a wrong one must not cost the user the system
// or their files. So these folders are never removed, nor any folder that holds one:
//  - every drive's root and every folder directly in it (Windows, Program Files, Users,
//    ProgramData, ...), and the root of a network share;
//  - the system's known folders: the Windows and system folders, the program and common
//    files folders, the shared data and start menu folders, the public folders;
//  - every account's profile (the system's list of profiles, and the current user's) and
//    in the current one its desktop user folders (Desktop, Documents, Downloads, Music,
//    Pictures, Videos, Templates, Favorites, ...), its application data, start menu and
//    temporary folders.
// A folder inside one of them stays removable: a product in Program Files or in a profile.
const KNOWNFOLDERID *const kKnownFolders[] = {
    &FOLDERID_Windows,
    &FOLDERID_System,
    &FOLDERID_SystemX86,
    &FOLDERID_ProgramFiles,
    &FOLDERID_ProgramFilesX86,
    &FOLDERID_ProgramFilesX64,
    &FOLDERID_ProgramFilesCommon,
    &FOLDERID_ProgramFilesCommonX86,
    &FOLDERID_ProgramData,
    &FOLDERID_UserProfiles,
    &FOLDERID_Profile,
    &FOLDERID_Public,
    &FOLDERID_PublicDesktop,
    &FOLDERID_PublicDocuments,
    &FOLDERID_Desktop,
    &FOLDERID_Documents,
    &FOLDERID_Downloads,
    &FOLDERID_Music,
    &FOLDERID_Pictures,
    &FOLDERID_Videos,
    &FOLDERID_Templates,
    &FOLDERID_Favorites,
    &FOLDERID_RoamingAppData,
    &FOLDERID_LocalAppData,
    &FOLDERID_LocalAppDataLow,
    &FOLDERID_StartMenu,
    &FOLDERID_Programs,
    &FOLDERID_Startup,
    &FOLDERID_CommonStartMenu,
    &FOLDERID_CommonPrograms,
    &FOLDERID_CommonStartup,
    &FOLDERID_Fonts,
    &FOLDERID_SendTo,
    &FOLDERID_Recent,
};
constexpr const wchar_t *kVariables[] = {
    L"SystemRoot",   L"windir",      L"ProgramFiles",    L"ProgramFiles(x86)",
    L"ProgramW6432", L"ProgramData", L"ALLUSERSPROFILE", L"PUBLIC",
    L"USERPROFILE",  L"APPDATA",     L"LOCALAPPDATA",    L"TEMP",
    L"TMP",
};
constexpr wchar_t kProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// The folder's full name in the form in which names compare: absolute, "." and ".."
// taken out, '\' as delimiter, no closing delimiter but a root's, upper case.
std::wstring Comparable(const std::wstring &path) {
    if (path.empty())
        return {};
    std::wstring in = path;
    for (wchar_t &c : in)
        if (c == L'/')
            c = L'\\';
    DWORD n = ::GetFullPathNameW(in.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return {};
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(in.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size())
        return {};
    full.resize(n);
    if (full.starts_with(L"\\\\?\\UNC\\"))
        full = L"\\\\" + full.substr(8);
    else if (full.starts_with(L"\\\\?\\"))
        full = full.substr(4);
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    ::CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    return full;
}

// Where the folder really is, every link and junction on the way followed; empty when it
// does not exist.
std::wstring Resolved(const std::wstring &path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::wstring out(MAX_PATH, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(file, out.data(), static_cast<DWORD>(out.size()),
                                          FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n >= out.size()) {
        out.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(file, out.data(), static_cast<DWORD>(out.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    ::CloseHandle(file);
    if (n == 0 || n >= out.size())
        return {};
    out.resize(n);
    return Comparable(out);
}

void Add(std::vector<std::wstring> &folders, const std::wstring &folder) {
    std::wstring name = Comparable(folder);
    if (name.empty())
        return;
    std::wstring real = Resolved(name);
    folders.push_back(std::move(name));
    if (!real.empty())
        folders.push_back(std::move(real));
}

std::wstring Expanded(const std::wstring &text) {
    const DWORD n = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (n == 0)
        return text;
    std::wstring out(n, L'\0');
    if (::ExpandEnvironmentStringsW(text.c_str(), out.data(), n) == 0)
        return text;
    out.resize(n - 1);
    return out;
}

// Every account's profile folder, from the system's list of profiles.
void AddProfiles(std::vector<std::wstring> &folders) {
    HKEY list = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &list) != ERROR_SUCCESS)
        return;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (::RegEnumKeyExW(list, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        wchar_t value[MAX_PATH * 2] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        if (::RegGetValueW(list, name, L"ProfileImagePath", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ,
                           nullptr, value, &size) == ERROR_SUCCESS)
            Add(folders, Expanded(value));
    }
    ::RegCloseKey(list);
}

// The folders that must stay, with everything that holds them.
std::vector<std::wstring> KeptFolders() {
    std::vector<std::wstring> folders;
    for (const KNOWNFOLDERID *id : kKnownFolders) {
        wchar_t *path = nullptr;
        if (SUCCEEDED(::SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &path)))
            Add(folders, path);
        ::CoTaskMemFree(path);
    }
    for (const wchar_t *name : kVariables) {
        wchar_t value[MAX_PATH * 2];
        const DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH * 2);
        if (n > 0 && n < MAX_PATH * 2)
            Add(folders, value);
    }
    AddProfiles(folders);
    return folders;
}

// `inner` is `outer` or lies inside it.
bool Holds(const std::wstring &outer, const std::wstring &inner) {
    if (inner == outer)
        return true;
    return inner.size() > outer.size() && inner.starts_with(outer) &&
           (outer.back() == L'\\' || inner[outer.size()] == L'\\');
}

// A drive's root, a share's root, or a folder directly in a drive's root.
bool IsTopFolder(const std::wstring &folder) {
    if (folder.starts_with(L"\\\\")) {
        // "\\server\share" and what is directly in it.
        std::size_t parts = 0;
        for (std::size_t i = 2; i < folder.size(); ++i)
            parts += folder[i] == L'\\';
        return parts <= 2;
    }
    std::size_t delimiters = 0;
    for (wchar_t c : folder)
        delimiters += c == L'\\';
    return folder.size() <= 3 || delimiters <= 1;
}

bool IsProtectedName(const std::wstring &folder, const std::vector<std::wstring> &kept) {
    if (IsTopFolder(folder))
        return true;
    for (const std::wstring &name : kept)
        if (Holds(folder, name))
            return true;
    return false;
}

}  // namespace

bool IsProtectedFolder(const std::string &path) {
    if (!IsAbsolutePath(path))
        return true;
    const std::wstring folder = Comparable(win::Widen(path));
    if (folder.empty())
        return true;
    const std::vector<std::wstring> kept = KeptFolders();
    if (IsProtectedName(folder, kept))
        return true;
    const std::wstring real = Resolved(folder);
    return !real.empty() && real != folder && IsProtectedName(real, kept);
}

}  // namespace platform
