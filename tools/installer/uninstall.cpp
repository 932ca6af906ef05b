#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <iostream>

#include "installer.h"
#include "platform/callconv.h"
#include "platform/dynlib.h"
#include "platform/lasterror.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace installer {

namespace fs = std::filesystem;

namespace {

int Fail(const std::string &message) {
    std::cerr << "tkinstall: " << message << "\n";
    return 1;
}

// The folder the product's key names, looked up as the uninstaller will look it up.
std::string InstalledFolder(const std::string &key) {
    for (platform::RegRoot root :
         {platform::RegRoot::LocalMachine, platform::RegRoot::CurrentUser}) {
        platform::RegKey open;
        std::string path;
        if (platform::RegOpenKey(root, key, platform::RegAccess::Read, open) == platform::kRegOk &&
            platform::RegGetString(open, "Path", path) == platform::kRegOk && !path.empty())
            return path;
    }
    return {};
}

}  // namespace

int Uninstall(const std::string &from) {
    const std::string folder =
        from.empty() ? InstalledFolder(ProductKey(platform::ProgramDir())) : from;
    if (folder.empty())
        return Fail("no installed product found; name its folder with --from");
    const std::string uninstaller = folder + "/uninst.so";
    if (!platform::FileExists(uninstaller))
        return Fail("no uninstaller in " + folder);

    // The uninstaller deletes the folder it lies in. It runs from a copy in a private
    // temporary folder, so that the library stays whole while it runs and nothing of the
    // product is kept open; the copy goes afterwards.
    std::string temp = platform::TempDirectory();
    if (temp.empty())
        temp = "/tmp/";
    temp += "tkuninst-XXXXXX";
    if (::mkdtemp(temp.data()) == nullptr)
        return Fail("cannot make a temporary folder");
    const std::string runCopy = temp + "/uninst.so";
    std::error_code error;
    fs::copy_file(uninstaller, runCopy, error);
    int result = 1;
    if (error) {
        Fail("cannot copy the uninstaller: " + error.message());
    } else if (platform::LibHandle library = platform::LoadLibraryFromPath(temp + "/uninst.dll")) {
        using Uninst = int32_t(TK_STDCALL *)(int32_t, int32_t, int32_t);
        const auto init =
            reinterpret_cast<Uninst>(platform::FindExport(library, "UninstInitialize"));
        const auto run =
            reinterpret_cast<Uninst>(platform::FindExport(library, "UninstUnInitialize"));
        if (init != nullptr && run != nullptr && init(0, 0, 0) == 0 && run(0, 0, 0) == 0) {
            std::cout << "Taalkist is removed from " << folder << "\n";
            result = 0;
        } else {
            Fail("the uninstaller reported a failure");
        }
        platform::FreeLibraryHandle(library);
    } else {
        Fail("cannot load the uninstaller: " + platform::LastErrorText());
    }
    fs::remove_all(temp, error);
    return result;
}

}  // namespace installer
