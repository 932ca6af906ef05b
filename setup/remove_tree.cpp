#include "remove_tree.h"

#include "platform/folders.h"
#include "platform/msgbox.h"

namespace setup {

void RemoveTree(const std::string &dir) {
    platform::TreeRemovalReport report;
    report.fileStaysReadOnly = [](const std::string &file, const std::string &folder) {
        platform::ShowMessageBox(
            "ERROR",
            "Can't change readonly/system attributes of file: " + file + " in dir : " + folder,
            platform::MsgIcon::Warning);
    };
    report.folderStays = [](const std::string &folder) {
        platform::ShowMessageBox("WARNING", "Could not remove directory " + folder,
                                 platform::MsgIcon::None);
    };
    platform::RemoveFolderTree(dir, report);
}

}  // namespace setup
