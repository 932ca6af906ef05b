// The viewer core's test fixture: a temporary program folder with data/, imgs/, its own
// registry and the stand-in libraries of tests/support.
#pragma once

#include <string>
#include <vector>

#include "dialog_recorder.h"
#include "tempdir.h"

namespace coretest {

using tk::test::DialogRecorder;

// A program folder "<temp>/prog" with data/ and imgs/; the core takes it for the running
// program's folder, the registry lives in "<temp>/registry", the user's own books in
// "<temp>/xdg/taalkist/eigen" (UserShelf), and the command line is empty.
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder &) = delete;
    ProgramFolder &operator=(const ProgramFolder &) = delete;

  private:
    tk::test::TempDir Temp;  // first: the folder names below are made from it

  public:
    std::string Root;  // the temporary folder
    std::string Dir;   // the program's folder
    std::string Data, Imgs;
    std::string UserShelf;  // laid out like Dir: data/dict.cfg, data/NAME.def, imgs/

    // Writes bytes to a file below Dir ("data/dict.cfg").
    std::string Write(const std::string &relative, const std::string &bytes) const;
    // "data/<name>.def" with the text, and "data/<name>.idx" with idx when withIdx.
    void AddBook(const std::string &name, const std::string &def, bool withIdx = true,
                 const std::string &idx = "") const;
    // Copies the stand-in search library / speech engine into the program's folder.
    void InstallFakeSearchLibrary() const;
    void InstallFakeEngine(bool withClose = true) const;
    void Copy(const std::string &from, const std::string &relative) const;

    // Log files of the stand-ins, read back line by line.
    std::string SearchLog() const { return Root + "/lexq.log"; }
    std::string EngineLog() const { return Root + "/fldtts.log"; }
    static std::vector<std::string> Lines(const std::string &file);
};

std::string ReadFile(const std::string &path);

}  // namespace coretest
