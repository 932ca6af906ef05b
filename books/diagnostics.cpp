#include "books/diagnostics.h"

namespace books {

namespace {
// Enough to show a pattern; a broken file should not flood the terminal.
constexpr std::size_t kMaxReportedErrors = 50;
}  // namespace

std::string Diagnostics::Where(int line) const {
    if (line <= 0)
        return file_ + ": ";
    return unit_.empty() ? file_ + ":" + std::to_string(line) + ": "
                         : file_ + ": " + unit_ + " " + std::to_string(line) + ": ";
}

void Diagnostics::Append(const Diagnostics &other) {
    warnings_.insert(warnings_.end(), other.warnings_.begin(), other.warnings_.end());
    errors_.insert(errors_.end(), other.errors_.begin(), other.errors_.end());
}

void Diagnostics::Warn(int line, const std::string &message) {
    warnings_.push_back(Where(line) + "warning: " + message);
}

void Diagnostics::Error(int line, const std::string &message) {
    errors_.push_back(Where(line) + "error: " + message);
}

void Diagnostics::ThrowIfErrors() const {
    if (errors_.empty())
        return;
    std::string text;
    for (std::size_t i = 0; i < errors_.size() && i < kMaxReportedErrors; ++i) {
        if (i > 0)
            text += '\n';
        text += errors_[i];
    }
    if (errors_.size() > kMaxReportedErrors) {
        text += "\n... and " + std::to_string(errors_.size() - kMaxReportedErrors) + " more errors";
    }
    throw InputError(text);
}

}  // namespace books
