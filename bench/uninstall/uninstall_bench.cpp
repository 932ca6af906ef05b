// Times one uninstall through setup.so, as an installation program runs it: a product key
// with many subkeys under both roots, and a small product folder. Prints the time beside
// the goal (2 x 5,000 subkeys in under 5 s).
//   uninstall_bench [--subkeys N] [--goal SECONDS] [--setup FILE]
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using Uninst = int32_t (*)(int32_t, int32_t, int32_t);
using InstallDll = int32_t (*)(const char *, const char *);

constexpr char kKey[] = "Software\\Taalkist\\Bench";

// A hive file with the product key and `subkeys` subkeys of one value each, written
// directly as text so that setting up takes no time worth mentioning.
void WriteHive(const fs::path &file, const char *root, const fs::path &folder, int subkeys) {
    std::ofstream out(file, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\n\n";
    out << "[" << root << "\\" << kKey << "]\n\"Path\"=\"" << folder.string() << "\"\n\n";
    for (int i = 0; i < subkeys; ++i)
        out << "[" << root << "\\" << kKey << "\\Book" << i << "]\n\"MRU\"=\"nl-en\"\n\n";
}

void MakeFolder(const fs::path &folder) {
    for (int d = 0; d < 10; ++d) {
        const fs::path sub = folder / ("data" + std::to_string(d));
        fs::create_directories(sub);
        for (int f = 0; f < 10; ++f)
            std::ofstream(sub / ("file" + std::to_string(f))) << "content";
    }
}

bool KeyLeft(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        if (line.find("Bench") != std::string::npos && !line.starts_with("[-"))
            return true;
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    int subkeys = 5000;
    double goal = 5.0;
    std::string setup = SETUP_SO;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--subkeys") == 0) {
            subkeys = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--goal") == 0) {
            goal = std::atof(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--setup") == 0) {
            setup = argv[i + 1];
        } else {
            std::fprintf(stderr,
                         "usage: uninstall_bench [--subkeys N] [--goal S] [--setup FILE]\n");
            return 2;
        }
    }

    std::string pattern = fs::temp_directory_path() / "tk-uninstall-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = pattern;
    const fs::path registry = work / "registry";
    fs::create_directories(registry);
    ::setenv("TAALKIST_REGISTRY_DIR", registry.c_str(), 1);
    ::setenv("TAALKIST_MSGBOX_LOG", (work / "boxes.log").c_str(), 1);
    const fs::path folder = work / "product";
    MakeFolder(folder);
    WriteHive(registry / "machine.reg", "HKEY_LOCAL_MACHINE", folder, subkeys);
    WriteHive(registry / "user.reg", "HKEY_CURRENT_USER", folder, subkeys);

    int status = 1;
    void *shipped = ::dlopen(setup.c_str(), RTLD_NOW | RTLD_LOCAL);
    const fs::path copy = work / "uninst.so";
    const auto install = shipped != nullptr
                             ? reinterpret_cast<InstallDll>(::dlsym(shipped, "SETUP_InstallDll"))
                             : nullptr;
    if (install == nullptr || install(kKey, copy.c_str()) != 1) {
        std::fprintf(stderr, "cannot write the uninstaller from %s\n", setup.c_str());
    } else if (void *uninstaller = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        const auto init = reinterpret_cast<Uninst>(::dlsym(uninstaller, "UninstInitialize"));
        const auto run = reinterpret_cast<Uninst>(::dlsym(uninstaller, "UninstUnInitialize"));
        const auto start = std::chrono::steady_clock::now();
        const int32_t result = init(0, 0, 0) == 0 ? run(0, 0, 0) : -1;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const bool clean = result == 0 && !fs::exists(folder) &&
                           !KeyLeft(registry / "machine.reg") && !KeyLeft(registry / "user.reg");
        std::printf("uninstall, 2 x %d subkeys: %.3f s (goal %.1f s): ratio %.3f%s\n", subkeys,
                    seconds, goal, seconds / goal, clean ? "" : "  [NOT REMOVED COMPLETELY]");
        status = clean ? 0 : 1;
        ::dlclose(uninstaller);
    } else {
        std::fprintf(stderr, "cannot load %s: %s\n", copy.c_str(), ::dlerror());
    }
    if (shipped != nullptr)
        ::dlclose(shipped);
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return status;
}
