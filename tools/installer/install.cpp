#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>

#include "desktop_entry.h"
#include "installer.h"
#include "platform/callconv.h"
#include "platform/dynlib.h"
#include "platform/encoding.h"
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
    std::ifstream file(productFolder + "/data/dict.cfg", std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::istringstream config(platform::UserTextToUtf8(bytes.str()));
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
        return Fail("de doelmap moet een volledig pad zijn (beginnend met /)");
    const fs::path prefix = fs::weakly_canonical(wanted, error);
    if (error || prefix.empty())
        return Fail("kan " + wanted + " niet gebruiken");
    if (Inside(prefix, source) || Inside(source, prefix))
        return Fail("de doelmap en de productmap mogen elkaar niet bevatten");
    // The uninstaller would refuse to remove it again.
    if (platform::IsProtectedFolder(prefix.string()))
        return Fail(prefix.string() +
                    " is een map van het systeem of van een gebruiker; kies "
                    "een nieuwe map, bijvoorbeeld " +
                    (prefix / "taalkist").string());
    if (prefix.string().size() >= 200)
        return Fail("het pad " + prefix.string() + " is te lang (ten hoogste 199 tekens)");
    const std::string setupLibrary = source.string() + "/setup.so";
    if (!platform::FileExists(setupLibrary))
        return Fail("setup.so ontbreekt in " + source.string());

    // The product folder as it is: programs, libraries, data/ and imgs/.
    fs::create_directories(prefix, error);
    fs::copy(source, prefix,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing |
                 fs::copy_options::copy_symlinks,
             error);
    if (error)
        return Fail("kan het product niet naar " + prefix.string() +
                    " kopiëren: " + error.message());

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
        return Fail("kan de menu-items in " + menuFolder + " niet schrijven");
    std::string desk;
    if (const std::string desktop = DesktopFolder(); !desktop.empty()) {
        desk = desktop + "/taalkist.desktop";
        if (!WriteDesktopEntry(desk, "Morvelt taalkist", "Woordenboeken raadplegen", {viewer}, ""))
            desk.clear();
    }

    // File names go into the registry as they are, in UTF-8.
    platform::RegKey product;
    long status = platform::RegCreateKey(platform::RegRoot::CurrentUser, key, product,
                                         platform::RegText::Utf8);
    const std::pair<const char *, std::string> values[] = {
        {"Path", prefix.string()}, {"Version", TK_VERSION}, {"ScMenu", menu},
        {"ScUnin", uninstall},     {"ScDesk", desk},
    };
    for (const auto &[name, value] : values)
        if (status == platform::kRegOk && !value.empty())
            status = platform::RegSetString(product, name, value);
    if (status != platform::kRegOk)
        return Fail("kan de registersleutel " + key +
                    " niet schrijven: " + platform::SystemErrorText(static_cast<int>(status)));

    // The uninstaller: a copy of setup.so that carries the product's key.
    // Loaded by its Windows name, which the platform maps to setup.so.
    platform::LibHandle library = platform::LoadLibraryFromPath(source.string() + "/setup.dll");
    if (library == nullptr)
        return Fail("kan setup.so niet laden: " + platform::LastErrorText());
    using InstallDll = int32_t(TK_STDCALL *)(const char *, const char *);
    const auto installDll =
        reinterpret_cast<InstallDll>(platform::FindExport(library, "SETUP_InstallDll"));
    const std::string copy = prefix.string() + "/" + kUninstallerName;
    const int32_t written = installDll != nullptr ? installDll(key.c_str(), copy.c_str()) : 0;
    platform::FreeLibraryHandle(library);
    if (written != 1)
        return Fail("kan het verwijderprogramma " + copy + " niet schrijven");

    std::cout << "Taalkist is geïnstalleerd in " << prefix.string() << "\n";
    return 0;
}

}  // namespace installer
