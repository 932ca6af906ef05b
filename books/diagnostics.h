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

    void Warn(int line, const std::string &message);
    void Error(int line, const std::string &message);

    bool HasErrors() const { return !errors_.empty(); }
    const std::vector<std::string> &Warnings() const { return warnings_; }
    const std::vector<std::string> &Errors() const { return errors_; }

    // Throws InputError with every error, one per line, when there is any.
    void ThrowIfErrors() const;

  private:
    std::string Where(int line) const;

    std::string file_;
    std::vector<std::string> warnings_;
    std::vector<std::string> errors_;
};

}  // namespace books
