// A fresh temporary folder per test, with the registry moved into it; removed afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace tktest {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = std::filesystem::temp_directory_path() / "tk-test-XXXXXX";
        path_ = ::mkdtemp(pattern.data());
        ::setenv("TAALKIST_REGISTRY_DIR", (path_ / "registry").c_str(), 1);
        ::setenv("TAALKIST_MSGBOX_LOG", (path_ / "boxes.log").c_str(), 1);
    }
    ~TempFolder() {
        std::error_code ignored;
        // Whatever a test made read-only must not keep its folder alive.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (!it->is_symlink(ignored))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(path_, ignored);
        ::unsetenv("TAALKIST_REGISTRY_DIR");
        ::unsetenv("TAALKIST_MSGBOX_LOG");
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &Path() const { return path_; }
    std::string operator/(const std::string &name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

}  // namespace tktest
