// Desktop entry (.desktop) files: the shortcuts of the menu, the desktop and the uninstaller.
#pragma once

#include <string>
#include <vector>

namespace installer {

// The menu folder: $XDG_DATA_HOME/applications or ~/.local/share/applications.
std::string ApplicationsFolder();
// The desktop folder ($XDG_DESKTOP_DIR, else ~/Desktop); empty when there is none.
std::string DesktopFolder();

// Writes a desktop entry that runs `argv` (each word quoted as the format asks).
bool WriteDesktopEntry(const std::string &file, const std::string &name, const std::string &comment,
                       const std::vector<std::string> &argv, const std::string &icon);

// One word of an Exec line, quoted when needed.
std::string QuoteExecWord(const std::string &word);

}  // namespace installer
