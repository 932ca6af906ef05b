#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "installer.h"
#include "platform/callconv.h"
#include "platform/dynlib.h"
#include "platform/encoding.h"
#include "platform/folders.h"
#include "platform/lasterror.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "setup/master_key.h"

namespace installer {

namespace fs = std::filesystem;

namespace {

int Fail(const std::string &message) {
    std::cerr << "tkinstall: " << message << "\n";
    return 1;
}

std::string ReadAll(const std::string &file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The folder the product's key names, looked up as the uninstaller will look it up.
std::string InstalledFolder(const std::string &key) {
    for (platform::RegRoot root :
         {platform::RegRoot::LocalMachine, platform::RegRoot::CurrentUser}) {
        platform::RegKey open;
        std::string path;
        if (platform::RegOpenKey(root, key, platform::RegAccess::Read, open,
                                 platform::RegText::Utf8) == platform::kRegOk &&
            platform::RegGetString(open, "Path", path) == platform::kRegOk && !path.empty())
            return path;
    }
    return {};
}

// The key the uninstaller in `folder` carries: its bytes where the library shipped beside
// it holds the placeholder (the copy has the shipped library's layout). The product's key
// when that cannot be read.
std::string PlantedKey(const std::string &folder) {
    const std::string shipped = ReadAll(folder + "/setup.so");
    const std::string copy = ReadAll(folder + "/uninst.so");
    const std::size_t at = shipped.find(kMasterKeyPlaceholder);
    if (at == std::string::npos || copy.size() != shipped.size() ||
        at + kMasterKeySize > copy.size())
        return ProductKey(folder);
    const std::string field = copy.substr(at, kMasterKeySize);
    return platform::UserTextToUtf8(field.substr(0, field.find('\0')));
}

}  // namespace

int Uninstall(const std::string &from) {
    // Without --from, an installed copy removes itself; the product folder as built
    // removes the installation the registry names.
    const std::string self = platform::ProgramDir();
    std::string folder = from;
    if (folder.empty())
        folder =
            platform::FileExists(self + "/uninst.so") ? self : InstalledFolder(ProductKey(self));
    if (folder.empty())
        return Fail("geen geïnstalleerde Taalkist gevonden; noem de map met --from");
    const std::string uninstaller = folder + "/uninst.so";
    if (!platform::FileExists(uninstaller))
        return Fail("geen verwijderprogramma (uninst.so) in " + folder);

    // The uninstaller removes the folder its key names now, which is another one when the
    // product was installed again elsewhere: then nothing is removed.
    const std::string key = PlantedKey(folder);
    const std::string registered = InstalledFolder(key);
    if (registered.empty())
        return Fail("voor " + folder + " is geen installatie geregistreerd (registersleutel " +
                    key + "); er is niets verwijderd");
    if (!platform::SameFile(registered, folder))
        return Fail(folder + " is niet de geregistreerde installatie: de registersleutel " + key +
                    " noemt " + registered +
                    ". Er is niets verwijderd; verwijder die installatie met haar eigen "
                    "verwijderprogramma.");

    // The uninstaller deletes the folder it lies in. It runs from a copy in a private
    // temporary folder, so that the library stays whole while it runs and nothing of the
    // product is kept open; the copy goes afterwards.
    std::string temp = platform::TempDirectory();
    if (temp.empty())
        temp = "/tmp/";
    temp += "tkuninst-XXXXXX";
    if (::mkdtemp(temp.data()) == nullptr)
        return Fail("kan geen tijdelijke map maken");
    const std::string runCopy = temp + "/uninst.so";
    std::error_code error;
    fs::copy_file(uninstaller, runCopy, error);
    int result = 1;
    if (error) {
        Fail("kan het verwijderprogramma niet kopiëren: " + error.message());
    } else if (platform::LibHandle library = platform::LoadLibraryFromPath(temp + "/uninst.dll")) {
        using Uninst = int32_t(TK_STDCALL *)(int32_t, int32_t, int32_t);
        const auto init =
            reinterpret_cast<Uninst>(platform::FindExport(library, "UninstInitialize"));
        const auto run =
            reinterpret_cast<Uninst>(platform::FindExport(library, "UninstUnInitialize"));
        if (init != nullptr && run != nullptr && init(0, 0, 0) == 0 && run(0, 0, 0) == 0) {
            std::cout << "Taalkist is verwijderd uit " << folder << "\n";
            result = 0;
        } else {
            Fail("het verwijderprogramma meldt een fout; " + folder + " is niet verwijderd");
        }
        platform::FreeLibraryHandle(library);
    } else {
        Fail("kan het verwijderprogramma niet laden: " + platform::LastErrorText());
    }
    fs::remove_all(temp, error);
    return result;
}

}  // namespace installer
