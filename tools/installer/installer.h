// tkinstall: installs the product folder for the current user on Linux and removes it
// again through the uninstall library's planted copy.
#pragma once

#include <string>

namespace installer {

struct InstallOptions {
    std::string source;  // the product folder (the installer's own folder)
    std::string prefix;  // where to install; empty: the default below
};

// ~/.local/share/taalkist/programma (or under $XDG_DATA_HOME).
std::string DefaultPrefix();
// The product's registry key: "regkey" of the product's data/dict.cfg (read as a user's
// text: UTF-8, else Windows-1252), so that the viewer's own settings go with the product.
std::string ProductKey(const std::string &productFolder);

// 0 on success; otherwise a message (Dutch) has gone to standard error.
int Install(const InstallOptions &options);
// Removes the product installed in `from` (empty: the installed copy this program belongs
// to, else the folder the registry names). Refuses, removing nothing, when the registry
// names another folder for that installation's key.
int Uninstall(const std::string &from);

}  // namespace installer
