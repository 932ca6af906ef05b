// The lexqc command line: build, verify, lookup, dump and import-dictd.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lexqc {

// Exit statuses: 0 success, 1 a check failed (verify, lookup, dump), 2 bad input.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCheckFailed = 1;
inline constexpr int kExitInputError = 2;

// Runs one command; args excludes the program name.
int RunLexqc(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

}  // namespace lexqc
