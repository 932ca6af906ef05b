// A temporary folder that also holds the registry and the message-box log of the code under
// test (the platform layer takes their places from the environment) while it lives.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "tempdir.h"

namespace tktest {

class TempFolder {
  public:
    TempFolder() {
        ::setenv("TAALKIST_REGISTRY_DIR", dir_.File("registry").c_str(), 1);
        ::setenv("TAALKIST_MSGBOX_LOG", dir_.File("boxes.log").c_str(), 1);
    }
    ~TempFolder() {
        ::unsetenv("TAALKIST_REGISTRY_DIR");
        ::unsetenv("TAALKIST_MSGBOX_LOG");
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    std::filesystem::path Path() const { return dir_.Path(); }
    std::string operator/(const std::string &name) const { return dir_.File(name); }

  private:
    tk::test::TempDir dir_;
};

}  // namespace tktest
