#include "CoreTestSupport.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "platform/paths.h"
#include "viewer/core/LXA_Paths.h"

namespace coretest {

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder() : Root(Temp.Path()) {
    Dir = Root + "/prog";
    Data = Dir + "/data";
    Imgs = Dir + "/imgs";
    UserShelf = Root + "/xdg/taalkist/eigen";
    fs::create_directories(Data);
    fs::create_directories(Imgs);
    ::setenv("TAALKIST_REGISTRY_DIR", (Root + "/registry").c_str(), 1);
    // The user's own books come from here, never from the user running the tests.
    ::setenv("XDG_DATA_HOME", (Root + "/xdg").c_str(), 1);
    ::setenv("FAKE_LEXQ_LOG", SearchLog().c_str(), 1);
    ::setenv("FAKE_FLDTTS_LOG", EngineLog().c_str(), 1);
    SetProgramPathOverride(Dir + "/tkviewer");
    platform::SetCommandLine(std::vector<std::string>{});
}

ProgramFolder::~ProgramFolder() {
    SetProgramPathOverride("");
    platform::SetCommandLine(std::vector<std::string>{});
    for (const char *name : {"TAALKIST_REGISTRY_DIR", "XDG_DATA_HOME", "FAKE_LEXQ_LOG",
                             "FAKE_FLDTTS_LOG", "FAKE_LEXQ_INIT_STATUS", "FAKE_LEXQ_SEARCH_STATUS"})
        ::unsetenv(name);
}

std::string ProgramFolder::Write(const std::string &relative, const std::string &bytes) const {
    const fs::path path = fs::path(Dir) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path.string();
}

void ProgramFolder::AddBook(const std::string &name, const std::string &def, bool withIdx,
                            const std::string &idx) const {
    Write("data/" + name + ".def", def);
    if (withIdx)
        Write("data/" + name + ".idx", idx);
}

void ProgramFolder::Copy(const std::string &from, const std::string &relative) const {
    fs::copy_file(from, fs::path(Dir) / relative, fs::copy_options::overwrite_existing);
}

void ProgramFolder::InstallFakeSearchLibrary() const {
    Copy(FAKE_LEXQAPI_FILE, "lexqapi.so");
}

void ProgramFolder::InstallFakeEngine(bool withClose) const {
    Copy(withClose ? FAKE_FLDTTS_FILE : FAKE_FLDTTS_NOCLOSE_FILE, "fldtts.so");
}

std::vector<std::string> ProgramFolder::Lines(const std::string &file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string ReadFile(const std::string &path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

}  // namespace coretest
