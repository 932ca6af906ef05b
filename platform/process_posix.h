// Starting other programs without a shell (POSIX backend only).
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

// Starts `argv` (argv[0] a full path) as an independent process in a session of its own
// that outlives the caller and is never waited for. False when it could not be started
// (LastErrorText says why).
bool StartDetached(const std::vector<std::string> &argv);

// Runs `argv` to its end; its standard output is returned in `output` when not null.
// The exit status, or -1 when it could not be run.
int RunAndWait(const std::vector<std::string> &argv, std::string *output = nullptr);

}  // namespace platform::posix
