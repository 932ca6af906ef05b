#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "lasterror.h"
#include "paths.h"
#include "process_posix.h"
#include "shell.h"

namespace platform {

namespace {

bool StartsWithNoCase(const std::string &text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if ((text[i] | 0x20) != prefix[i])
            return false;
    return true;
}

bool IsWebAddress(const std::string &file) {
    return StartsWithNoCase(file, "http:") || StartsWithNoCase(file, "https:") ||
           StartsWithNoCase(file, "mailto:");
}

// An executable regular file that really is a program (a binary or a script with "#!"),
// so that documents on file systems that mark everything executable are not run.
bool IsProgramFile(const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (::access(path.c_str(), X_OK) != 0)
        return false;
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    in.read(magic, sizeof magic);
    if (in.gcount() >= 2 && magic[0] == '#' && magic[1] == '!')
        return true;
    return in.gcount() == 4 && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' &&
           magic[3] == 'F';
}

bool OpenWithDesktop(const std::string &target) {
    const std::string opener = FindProgram("xdg-open");
    if (opener.empty()) {
        SetLastError(kErrNoAssociation, "");
        return false;
    }
    return posix::StartDetached({opener, target});
}

// The program of a .desktop file's Exec line (its first word, quotes removed).
std::string DesktopFileProgram(const std::string &file) {
    std::ifstream in(file);
    std::string line;
    bool inEntry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inEntry = line.starts_with("[Desktop Entry]");
            continue;
        }
        if (!inEntry || !line.starts_with("Exec="))
            continue;
        const std::vector<std::string> words = SplitCommandLine(line.substr(5));
        return words.empty() ? std::string() : words.front();
    }
    return {};
}

std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders;
    const char *home = std::getenv("HOME");
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && *dataHome == '/') {
        folders.push_back(std::string(dataHome) + "/applications/");
    } else if (home != nullptr && *home != '\0') {
        folders.push_back(std::string(home) + "/.local/share/applications/");
    }
    const char *dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t colon = list.find(':', start);
        if (colon == std::string::npos)
            colon = list.size();
        if (colon > start)
            folders.push_back(list.substr(start, colon - start) + "/applications/");
        start = colon + 1;
    }
    return folders;
}

std::string DefaultTextApplication() {
    const std::string query = FindProgram("xdg-mime");
    if (query.empty())
        return {};
    std::string output;
    if (posix::RunAndWait({query, "query", "default", "text/plain"}, &output) != 0)
        return {};
    while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
        output.pop_back();
    if (output.empty() || output.find('/') != std::string::npos)
        return {};
    for (const std::string &folder : ApplicationFolders()) {
        if (!FileExists(folder + output))
            continue;
        const std::string program = DesktopFileProgram(folder + output);
        if (!program.empty())
            return FindProgram(program);
    }
    return {};
}

}  // namespace

std::string FindProgram(const std::string &name) {
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return IsProgramFile(name) ? name : std::string();
    const char *path = std::getenv("PATH");
    const std::string list = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t colon = list.find(':', start);
        if (colon == std::string::npos)
            colon = list.size();
        // An empty PATH entry would mean the current folder; never search there.
        if (colon > start && list[start] == '/') {
            const std::string candidate = list.substr(start, colon - start) + '/' + name;
            if (IsProgramFile(candidate))
                return candidate;
        }
        start = colon + 1;
    }
    return {};
}

bool ShellOpen(const std::string &file, const std::string &parameters) {
    if (file.empty()) {
        SetLastError(kErrFileNotFound, "");
        return false;
    }
    if (IsWebAddress(file))
        return OpenWithDesktop(file);
    const std::string program = FindProgram(file);
    if (!program.empty()) {
        std::vector<std::string> argv{program};
        for (std::string &argument : SplitCommandLine(parameters))
            argv.push_back(argument);
        return posix::StartDetached(argv);
    }
    if (FileExists(file) || DirectoryExists(file))
        return OpenWithDesktop(file);
    SetLastError(kErrFileNotFound, "");
    return false;
}

std::string DesktopTextEditor() {
    if (std::string editor = DefaultTextApplication(); !editor.empty())
        return editor;
    static const char *const kEditors[] = {
        "gnome-text-editor", "gedit",   "kate",  "kwrite", "mousepad", "pluma", "xed",
        "featherpad",        "leafpad", "geany", "xedit",
    };
    for (const char *name : kEditors)
        if (std::string editor = FindProgram(name); !editor.empty())
            return editor;
    return {};
}

bool OpenHelp(const std::string &helpFile) {
    if (!FileExists(helpFile)) {
        SetLastError(kErrFileNotFound, "");
        return false;
    }
    return OpenWithDesktop(helpFile);
}

}  // namespace platform
