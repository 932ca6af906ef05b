#include "tempdir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/paths.h"

namespace tk::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    // A name nobody else has: the folder is made only where none of that name exists.
    static std::mt19937_64 random{std::random_device{}()};
    const std::string base = platform::TempDirectory() + "tk-test-";
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        std::string candidate = base;
        for (int i = 0; i < 8; ++i)
            candidate += "abcdefghijklmnopqrstuvwxyz0123456789"[random() % 36];
        std::error_code error;
        if (fs::create_directory(candidate, error))
            path_ = candidate;
    }
    if (path_.empty())
        throw std::runtime_error("cannot create a temporary folder in " + base);
}

TempDir::~TempDir() {
    std::error_code ignored;
    // What a test made read-only must not keep its folder alive.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string &name, const std::string &bytes) const {
    const std::string path = File(name);
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

}  // namespace tk::test
