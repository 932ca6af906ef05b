// A fresh temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace uitest {

class TTempFolder {
  public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder &) = delete;
    TTempFolder &operator=(const TTempFolder &) = delete;

    const std::string &Path() const { return m_path; }
    std::string File(const std::string &name) const { return m_path + "/" + name; }
    // Writes bytes to a file inside the folder and returns its path.
    std::string Write(const std::string &name, const std::string &bytes) const;

  private:
    std::string m_path;
};

}  // namespace uitest
