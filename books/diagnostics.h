// Warnings and errors of one compiler run, each naming the input file and line.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace books {

// Bad input (a source, a dictionary file, an option): the tool exits with status 2.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Diagnostics {
  public:
    explicit Diagnostics(std::string fileName = "<input>") : file_(std::move(fileName)) {}
    // For a file without lines (a binary word list): places are counted in units, as in
    // "a.idx: entry 3: warning: ...".
    Diagnostics(std::string fileName, std::string unit)
        : file_(std::move(fileName)), unit_(std::move(unit)) {}

    void Warn(int line, const std::string &message);
    void Error(int line, const std::string &message);

    bool HasErrors() const { return !errors_.empty(); }
    const std::vector<std::string> &Warnings() const { return warnings_; }
    const std::vector<std::string> &Errors() const { return errors_; }

    // Throws InputError with every error, one per line, when there is any.
    void ThrowIfErrors() const;
    // Takes over the warnings and errors of another file's diagnostics.
    void Append(const Diagnostics &other);

  private:
    std::string Where(int line) const;

    std::string file_;
    std::string unit_;
    std::vector<std::string> warnings_;
    std::vector<std::string> errors_;
};

}  // namespace books
