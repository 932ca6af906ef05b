// A fresh temporary folder for one test, removed with everything in it afterwards (also
// what a test made read-only).
#pragma once

#include <string>

namespace tk::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // The folder, without a trailing delimiter.
    const std::string &Path() const { return path_; }
    // The path of a file of that name inside the folder.
    std::string File(const std::string &name) const { return path_ + "/" + name; }
    // Writes bytes to a file inside the folder (making the folders on its way) and returns
    // its path.
    std::string Write(const std::string &name, const std::string &bytes) const;

  private:
    std::string path_;
};

}  // namespace tk::test
