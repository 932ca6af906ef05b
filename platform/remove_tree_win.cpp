// Removing a folder tree on Windows (see folders.h). Each folder on the way down is held
// open without delete sharing, so that no folder above the one being emptied can be
// renamed or replaced meanwhile; links and junctions are removed as links, never entered.
#include <windows.h>

#include <string>
#include <vector>

#include "folders.h"
#include "wide_text_win.h"

namespace platform {

namespace {

constexpr DWORD kReadOnlyOrSystem = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;

// One folder on the way down.
struct Level {
    std::string path;                    // as written by the caller, "\" and the names below
    HANDLE hold = INVALID_HANDLE_VALUE;  // keeps the folder where it is while it is walked
    std::vector<std::string> folders;    // its subfolders, in the order met
    std::size_t next = 0;
};

// Opens a folder to hold it in place: a folder, and not a link or junction. The name's
// attributes are asked as well as the handle's: some systems open a link's target even
// when asked for the link itself.
HANDLE HoldFolder(const std::string &path) {
    const std::wstring wide = win::WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return INVALID_HANDLE_VALUE;
    const HANDLE hold = ::CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hold == INVALID_HANDLE_VALUE)
        return hold;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(hold, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        ::CloseHandle(hold);
        return INVALID_HANDLE_VALUE;
    }
    return hold;
}

// Deletes the files of a folder (and the links in it) and notes its subfolders.
void ClearFiles(Level &level, const TreeRemovalReport &report) {
    WIN32_FIND_DATAW entry{};
    const HANDLE listing =
        ::FindFirstFileExW(win::WidePath(level.path + "\\*").c_str(), FindExInfoBasic, &entry,
                           FindExSearchNameMatch, nullptr, 0);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring_view wide = entry.cFileName;
        if (wide == L"." || wide == L"..")
            continue;
        const std::string name = win::Narrow(wide);
        const std::string path = level.path + "\\" + name;
        const DWORD attributes = entry.dwFileAttributes;
        const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link) {
            level.folders.push_back(name);
            continue;
        }
        if (link) {
            // A junction or a link: the link goes, what it leads to stays.
            win::DeleteLinkItself(path);
            continue;
        }
        const std::wstring widePath = win::WidePath(path);
        if ((attributes & kReadOnlyOrSystem) != 0 &&
            !::SetFileAttributesW(widePath.c_str(), FILE_ATTRIBUTE_ARCHIVE) &&
            report.fileStaysReadOnly)
            report.fileStaysReadOnly(path, level.path);
        ::DeleteFileW(widePath.c_str());  // a file that stays shows nothing
    } while (::FindNextFileW(listing, &entry));
    ::FindClose(listing);
}

// Removes an emptied folder, read-only or not.
bool RemoveFolder(const std::string &path) {
    const std::wstring wide = win::WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kReadOnlyOrSystem) != 0)
        ::SetFileAttributesW(wide.c_str(), attributes & ~kReadOnlyOrSystem);
    return ::RemoveDirectoryW(wide.c_str()) != 0;
}

}  // namespace

void RemoveFolderTree(const std::string &dir, const TreeRemovalReport &report) {
    const auto stays = [&report](const std::string &folder) {
        if (report.folderStays)
            report.folderStays(folder);
    };
    std::string top = dir;
    while (top.size() > 3 && (top.back() == '\\' || top.back() == '/'))
        top.pop_back();
    std::vector<Level> stack;
    Level first;
    first.path = top;
    first.hold = HoldFolder(top);
    if (first.hold == INVALID_HANDLE_VALUE) {
        // Not a folder (a file, a link, nothing): nothing is entered or removed.
        stays(dir);
        return;
    }
    stack.push_back(std::move(first));
    ClearFiles(stack.back(), report);

    while (!stack.empty()) {
        Level &level = stack.back();
        if (level.next < level.folders.size()) {
            Level child;
            child.path = level.path + "\\" + level.folders[level.next++];
            child.hold = HoldFolder(child.path);
            if (child.hold == INVALID_HANDLE_VALUE) {
                // Replaced by a link meanwhile, or not to be opened: left as it is.
                stays(child.path);
                continue;
            }
            stack.push_back(std::move(child));
            ClearFiles(stack.back(), report);
            continue;
        }
        // Everything below is done; the folder itself goes.
        Level done = std::move(stack.back());
        stack.pop_back();
        ::CloseHandle(done.hold);
        if (!RemoveFolder(done.path))
            stays(stack.empty() ? dir : done.path);
    }
}

}  // namespace platform
