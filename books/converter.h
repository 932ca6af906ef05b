// The long tail of dictionary formats (MDict, XDXF, Babylon, Slob, Lingoes, ...) through
// Debian's pyglossary, a converter maintained for them: it writes a StarDict dictionary in
// a private temporary folder, which is then imported as usual.
#pragma once

#include <string>

#include "books/progress.h"

namespace books {

// Whether a file's ending is one of a format we read only through the converter.
bool ConverterFormat(const std::string &file);

// The converter program: `wanted` when it names one (tests), else "pyglossary" on PATH;
// empty when there is none.
std::string FindConverter(const std::string &wanted);

// A folder of our own under the system's temporary folder, removed with everything in it
// when this goes.
class PrivateFolder {
  public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;
    const std::string &Path() const { return path_; }

  private:
    std::string path_;
};

// Converts `file` with the converter into StarDict files in `folder`; returns the ".ifo".
// Throws InputError with a Dutch message when the converter is missing, does not know the
// format or fails (its own last lines in the message), and Cancelled when the progress
// callback says stop. The progress runs over the current stage while it converts.
std::string ConvertToStardict(const std::string &file, const std::string &folder,
                              const std::string &converter, Progress &progress);

inline constexpr const char *kConverterMissing =
    "Voor dit formaat is pyglossary nodig: sudo apt install python3-pyglossary";

}  // namespace books
