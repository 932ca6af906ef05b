#include "desktop_entry.h"

#include <cstdlib>
#include <fstream>

#include "platform/paths.h"

namespace installer {

namespace {
std::string Home() {
    const char *home = std::getenv("HOME");
    return home != nullptr ? home : "";
}
}  // namespace

std::string ApplicationsFolder() {
    const char *data = std::getenv("XDG_DATA_HOME");
    const std::string base =
        data != nullptr && *data == '/' ? std::string(data) : Home() + "/.local/share";
    return base + "/applications";
}

std::string DesktopFolder() {
    const char *desktop = std::getenv("XDG_DESKTOP_DIR");
    std::string folder =
        desktop != nullptr && *desktop == '/' ? std::string(desktop) : Home() + "/Desktop";
    return platform::DirectoryExists(folder) ? folder : std::string();
}

std::string QuoteExecWord(const std::string &word) {
    bool plain = !word.empty();
    for (char c : word)
        if (c == ' ' || c == '\t' || c == '"' || c == '\'' || c == '\\' || c == '`' || c == '$' ||
            c == '%' || c == '>' || c == '<' || c == '~' || c == '|' || c == '&' || c == ';' ||
            c == '*' || c == '?' || c == '#' || c == '(' || c == ')')
            plain = false;
    if (plain)
        return word;
    // Inside quotes ", `, $ and \ take a backslash; a literal % is written %%. The
    // format then escapes every backslash once more for the key file.
    std::string quoted = "\"";
    for (char c : word) {
        if (c == '\\') {
            quoted += "\\\\\\\\";
            continue;
        }
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + '"';
}

bool WriteDesktopEntry(const std::string &file, const std::string &name, const std::string &comment,
                       const std::vector<std::string> &argv, const std::string &icon) {
    std::string exec;
    for (const std::string &word : argv) {
        if (!exec.empty())
            exec += ' ';
        exec += QuoteExecWord(word);
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << name << "\n"
        << "Comment=" << comment << "\n"
        << "Exec=" << exec << "\n";
    if (!icon.empty())
        out << "Icon=" << icon << "\n";
    out << "Terminal=false\n"
        << "Categories=Office;Dictionary;\n";
    out.close();
    return static_cast<bool>(out);
}

}  // namespace installer
