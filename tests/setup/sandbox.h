// Test surroundings for the uninstaller: an installation folder to delete and, outside
// it, a sentinel tree that links point into and that must stay byte-identical.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "temp_folder.h"

namespace tktest {

namespace fs = std::filesystem;

inline void WriteText(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Everything below a folder: kind, mode and content or link target of each entry.
inline std::map<std::string, std::string> Snapshot(const fs::path &root) {
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        struct stat info {};
        ::lstat(it->path().c_str(), &info);
        std::string description = std::to_string(info.st_mode);
        if (it->is_symlink()) {
            description += " -> " + fs::read_symlink(it->path()).string();
        } else if (it->is_regular_file()) {
            description += " = " + ReadText(it->path());
        }
        entries[it->path().string()] = description;
    }
    return entries;
}

class Sandbox {
  public:
    Sandbox() {
        fs::create_directories(Outside() / "folder");
        WriteText(Outside() / "folder" / "keep.txt", "outside data");
        WriteText(Outside() / "file.txt", "outside file");
        ::chmod((Outside() / "file.txt").c_str(), 0444);
        before_ = Snapshot(Outside());
    }

    fs::path Outside() const { return temp_.Path() / "outside"; }
    const TempFolder &Temp() const { return temp_; }

    // An installation folder with read-only files, a hidden folder, and links of every
    // awkward kind: to the sentinel folder and file, dangling and looping.
    fs::path MakeInstallation(const std::string &name = "install") const {
        const fs::path dir = temp_.Path() / name;
        fs::create_directories(dir / "data" / "deep");
        fs::create_directories(dir / ".hidden");
        WriteText(dir / "program", "binary");
        WriteText(dir / "readonly.txt", "ro");
        ::chmod((dir / "readonly.txt").c_str(), 0444);
        WriteText(dir / ".hidden" / "system.dat", "sys");
        ::chmod((dir / ".hidden" / "system.dat").c_str(), 0400);
        WriteText(dir / "data" / "deep" / "book.idx", "idx");
        fs::create_directory_symlink(Outside() / "folder", dir / "link-to-folder");
        fs::create_symlink(Outside() / "file.txt", dir / "data" / "link-to-file");
        fs::create_symlink(dir / "nowhere", dir / "dangling");
        fs::create_symlink(dir / "loop-b", dir / "loop-a");
        fs::create_symlink(dir / "loop-a", dir / "loop-b");
        return dir;
    }

    bool OutsideUnchanged() const { return Snapshot(Outside()) == before_; }

  private:
    TempFolder temp_;
    std::map<std::string, std::string> before_;
};

}  // namespace tktest
