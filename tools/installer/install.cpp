#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "desktop_entry.h"
#include "installer.h"
#include "platform/callconv.h"
#include "platform/dynlib.h"
#include "platform/folders.h"
#include "platform/lasterror.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace installer {

namespace fs = std::filesystem;

namespace {

constexpr char kDefaultKey[] = "Software\\Taalkist\\Taalkist";
constexpr char kUninstallerName[] = "uninst.so";

int Fail(const std::string &message) {
    std::cerr << "tkinstall: " << message << "\n";
    return 1;
}

// `inner` is `outer` or lies inside it.
bool Inside(const fs::path &inner, const fs::path &outer) {
    const std::string a = inner.string() + '/';
    const std::string b = outer.string() + '/';
    return a.starts_with(b);
}

long SetString(const platform::RegKey &key, const char *name, const std::string &value) {
    return platform::RegSetString(key, name, value);
}

}  // namespace

std::string DefaultPrefix() {
    // A folder of its own beside the user's own books (taalkist/eigen, lexqc add): the
    // uninstaller removes the whole installed folder, and must not take those with it.
    const char *data = std::getenv("XDG_DATA_HOME");
    const char *home = std::getenv("HOME");
    if (data != nullptr && *data == '/')
        return std::string(data) + "/taalkist/programma";
    return std::string(home != nullptr ? home : "") + "/.local/share/taalkist/programma";
}

std::string ProductKey(const std::string &productFolder) {
    std::ifstream config(productFolder + "/data/dict.cfg");
    std::string line;
    bool application = false;
    while (std::getline(config, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.starts_with("[")) {
            application = line == "[application]";
            continue;
        }
        if (application && line.starts_with("regkey=") && line.size() > 7 && line.size() < 260)
            return line.substr(7);
    }
    return kDefaultKey;
}

int Install(const InstallOptions &options) {
    std::error_code error;
    const fs::path source = fs::weakly_canonical(options.source, error);
    const std::string wanted = options.prefix.empty() ? DefaultPrefix() : options.prefix;
    if (!platform::IsAbsolutePath(wanted))
        return Fail("the prefix must be an absolute path");
    const fs::path prefix = fs::weakly_canonical(wanted, error);
    if (error || prefix.empty())
        return Fail("cannot use " + wanted);
    if (Inside(prefix, source) || Inside(source, prefix))
        return Fail("the prefix and the product folder must not contain each other");
    if (platform::IsProtectedFolder(prefix.string()) || prefix.string().size() >= 200)
        return Fail("will not install into " + prefix.string());
    const std::string setupLibrary = source.string() + "/setup.so";
    if (!platform::FileExists(setupLibrary))
        return Fail("setup.so is missing in " + source.string());

    // The product folder as it is: programs, libraries, data/ and imgs/.
    fs::create_directories(prefix, error);
    fs::copy(source, prefix,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing |
                 fs::copy_options::copy_symlinks,
             error);
    if (error)
        return Fail("cannot copy the product to " + prefix.string() + ": " + error.message());

    const std::string key = ProductKey(source.string());
    const std::string menuFolder = ApplicationsFolder();
    fs::create_directories(menuFolder, error);
    const std::string menu = menuFolder + "/taalkist.desktop";
    const std::string uninstall = menuFolder + "/taalkist-uninstall.desktop";
    const std::string icon = prefix.string() + "/imgs/taalkist.png";
    const std::string viewer = prefix.string() + "/tkviewer";
    const std::string installer = prefix.string() + "/tkinstall";
    if (!WriteDesktopEntry(menu, "Morvelt taalkist", "Woordenboeken raadplegen", {viewer},
                           platform::FileExists(icon) ? icon : "") ||
        !WriteDesktopEntry(uninstall, "Morvelt taalkist verwijderen", "Taalkist verwijderen",
                           {installer, "uninstall", "--from", prefix.string()}, ""))
        return Fail("cannot write the menu entries in " + menuFolder);
    std::string desk;
    if (const std::string desktop = DesktopFolder(); !desktop.empty()) {
        desk = desktop + "/taalkist.desktop";
        if (!WriteDesktopEntry(desk, "Morvelt taalkist", "Woordenboeken raadplegen", {viewer}, ""))
            desk.clear();
    }

    platform::RegKey product;
    long status = platform::RegCreateKey(platform::RegRoot::CurrentUser, key, product);
    if (status == platform::kRegOk)
        status = SetString(product, "Path", prefix.string());
    if (status == platform::kRegOk)
        status = SetString(product, "Version", TK_VERSION);
    if (status == platform::kRegOk)
        status = SetString(product, "ScMenu", menu);
    if (status == platform::kRegOk)
        status = SetString(product, "ScUnin", uninstall);
    if (status == platform::kRegOk && !desk.empty())
        status = SetString(product, "ScDesk", desk);
    if (status != platform::kRegOk)
        return Fail("cannot write the registry key " + key + ": " +
                    platform::SystemErrorText(static_cast<int>(status)));

    // The uninstaller: a copy of setup.so that carries the product's key.
    // Loaded by its Windows name, which the platform maps to setup.so.
    platform::LibHandle library = platform::LoadLibraryFromPath(source.string() + "/setup.dll");
    if (library == nullptr)
        return Fail("cannot load setup.so: " + platform::LastErrorText());
    using InstallDll = int32_t(TK_STDCALL *)(const char *, const char *);
    const auto installDll =
        reinterpret_cast<InstallDll>(platform::FindExport(library, "SETUP_InstallDll"));
    const std::string copy = prefix.string() + "/" + kUninstallerName;
    const int32_t written = installDll != nullptr ? installDll(key.c_str(), copy.c_str()) : 0;
    platform::FreeLibraryHandle(library);
    if (written != 1)
        return Fail("cannot write the uninstaller " + copy);

    std::cout << "Taalkist is installed in " << prefix.string() << "\n";
    return 0;
}

}  // namespace installer
