// Shared fixtures of the viewer core's tests: a temporary program folder with data/, imgs/,
// its own registry and stand-in libraries, and a recorder that answers every dialog.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "viewer/core/LXA_MsgDlg.h"

namespace coretest {

// Records every dialog instead of showing it; answers from a queue (mrOk / mrNo when empty).
class DialogRecorder {
  public:
    DialogRecorder();
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder &) = delete;
    DialogRecorder &operator=(const DialogRecorder &) = delete;

    std::vector<TDialogRequest> Shown;
    std::deque<int> Answers;

  private:
    TDialogHandler Previous;
};

// A program folder "<temp>/prog" with data/ and imgs/; the core takes it for the running
// program's folder, the registry lives in "<temp>/registry", and the command line is empty.
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder &) = delete;
    ProgramFolder &operator=(const ProgramFolder &) = delete;

    std::string Root;  // the temporary folder
    std::string Dir;   // the program's folder
    std::string Data, Imgs;

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
