// A temporary program folder for lexq: the program copied in, the search library and
// crypt.so beside it, data/ with dict.cfg and compiled books, and a registry of its own.
#pragma once

#include <string>
#include <vector>

#include "tempdir.h"

namespace lexqtest {

struct TRun {
    int Status = -1;  // exit status, or -1 when the program did not exit normally
    std::string Out;
    std::string Err;
};

class TProgramFolder {
  public:
    TProgramFolder();

    // Writes a file below the program folder ("data/dict.cfg").
    void Write(const std::string &relative, const std::string &bytes) const;
    // data/<name>.def with the settings text, and data/<name>.idx compiled from the
    // UTF-8 source text (lexqc's format) unless source is empty.
    void AddBook(const std::string &name, const std::string &def, const std::string &source,
                 bool encipher = false) const;
    void Remove(const std::string &relative) const;

    // Runs lexq with the arguments, without any display and with this folder's registry;
    // standard output goes to outFile when one is given (Out stays empty then).
    TRun Run(const std::vector<std::string> &arguments, const std::string &outFile = "") const;
    // Runs lexqc the same way ("add", files...).
    TRun Lexqc(const std::vector<std::string> &arguments) const;

    std::string Dir() const { return Temp.Path() + "/prog"; }
    std::string RegistryDir() const { return Temp.Path() + "/registry"; }
    // XDG_DATA_HOME of the programs run here: the user's own books lie below it.
    std::string UserDataDir() const { return Temp.Path() + "/xdg"; }

  private:
    TRun RunProgram(const std::string &program, const std::vector<std::string> &arguments,
                    const std::string &outFile) const;

    tk::test::TempDir Temp;
};

std::string ReadFile(const std::string &path);

}  // namespace lexqtest
