// The program's folders and the application registry key (TRPaths), and the program path
// they are computed from. Tests point the core at a temporary program folder by setting
// SetProgramPathOverride("<folder>/tkviewer") before TLXAData::Initialise.
#pragma once

#include <string>

struct TRPaths {
    std::string AppDir;   // folder of the program file, no trailing delimiter
    std::string DataDir;  // AppDir + delimiter + "data"
    std::string ImgsDir;  // AppDir + delimiter + "imgs"
    std::string RegKey;   // set by the catalogue from "dict.cfg"
};

// The running program's full path, or the override when one is set.
std::string ProgramFilePath();
// The folder of ProgramFilePath(), without a trailing delimiter.
std::string ProgramFolder();
// An empty path removes the override.
void SetProgramPathOverride(std::string path);

// The folders for a program file; RegKey empty.
TRPaths ComputePaths(const std::string &programPath);

// The path with its extension (if any, in the last path element) replaced by extension.
std::string ChangeFileExt(const std::string &path, const std::string &extension);

// How the result page names a local file (its stylesheet). The page is Windows-1252 and a
// browser reads its links as URLs: a path of plain ASCII stays as it is; any other (a letter
// outside ASCII in any script, or a character a URL or the attribute would take for
// something else) becomes a percent-encoded file URL, which is ASCII and names the file
// exactly.
std::string PageFileReference(const std::string &path);
