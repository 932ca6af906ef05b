#include "remove_tree.h"

#include <vector>

#include "platform/folders.h"
#include "platform/msgbox.h"
#include "platform/paths.h"

namespace setup {

void RemoveTree(const std::string &dir) {
    std::vector<platform::FolderEntry> entries;
    std::vector<std::string> folders;
    if (platform::ListFolder(dir, entries)) {
        for (const platform::FolderEntry &entry : entries) {
            if (entry.kind == platform::EntryKind::Folder) {
                if (entry.name != "." && entry.name != "..")
                    folders.push_back(entry.name);
                continue;
            }
            // A folder of another file system is left as it is; its parent then stays too.
            if (entry.kind == platform::EntryKind::MountPoint)
                continue;
            const std::string file = dir + platform::kPathDelim + entry.name;
            if (entry.readOnly && !platform::MakeWritable(file)) {
                platform::ShowMessageBox(
                    "ERROR",
                    "Can't change readonly/system attributes of file: " + file + " in dir : " + dir,
                    platform::MsgIcon::Warning);
            }
            platform::DeleteFileEntry(file);  // a failure shows nothing
        }
    }
    for (const std::string &name : folders)
        RemoveTree(dir + platform::kPathDelim + name);
    if (!platform::RemoveEmptyFolder(dir))
        platform::ShowMessageBox("WARNING", "Could not remove directory " + dir,
                                 platform::MsgIcon::None);
}

}  // namespace setup
