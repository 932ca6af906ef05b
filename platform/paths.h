// The program's own path and command line, the temporary folder, and file and folder tests.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The delimiter this system's own paths use (Windows also reads '/').
#if defined(_WIN32)
inline constexpr char kPathDelim = '\\';
#else
inline constexpr char kPathDelim = '/';
#endif

// Full path of the running program file.
std::string ProgramPath();
// Folder of the running program file, without a trailing delimiter.
std::string ProgramDir();

// The command line: main() hands it over once; tests may set their own.
void SetCommandLine(int argc, const char *const *argv);
void SetCommandLine(std::vector<std::string> arguments);
// The arguments after the program name (what Windows calls ParamStr(1..ParamCount)).
const std::vector<std::string> &CommandLineArguments();

// The user's temporary folder, ending in a delimiter; empty when there is none.
std::string TempDirectory();

bool FileExists(const std::string &path);
bool DirectoryExists(const std::string &path);
// Creates a folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string &path);

// Adds a delimiter to a folder name that does not end in one.
std::string IncludeTrailingDelimiter(const std::string &folder);

}  // namespace platform
