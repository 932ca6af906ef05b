// A temporary folder that also holds the registry and the message-box log of the code under
// test (the platform layer takes their places from the environment) while it lives.
#pragma once

#include <filesystem>
#include <string>

#include "environment.h"
#include "tempdir.h"

namespace tktest {

class TempFolder {
  public:
    TempFolder() {
        tk::test::SetEnvironment("TAALKIST_REGISTRY_DIR", dir_.File("registry"));
        tk::test::SetEnvironment("TAALKIST_MSGBOX_LOG", dir_.File("boxes.log"));
    }
    ~TempFolder() {
        tk::test::UnsetEnvironment("TAALKIST_REGISTRY_DIR");
        tk::test::UnsetEnvironment("TAALKIST_MSGBOX_LOG");
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    std::filesystem::path Path() const { return dir_.Path(); }
    std::string operator/(const std::string &name) const { return dir_.File(name); }

  private:
    tk::test::TempDir dir_;
};

}  // namespace tktest
