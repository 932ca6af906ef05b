// Starting other programs without a shell (POSIX backend only).
#pragma once

#include <functional>
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

// Runs `argv` in a process group of its own, asking `keepGoing` about ten times a second
// whether to go on; when it says no the group is ended. Its standard output and error
// together (their last 64 KiB) go to `output`. The exit status; -1 when it could not be
// run (LastErrorText says why), kStopped when it was ended.
inline constexpr int kStopped = -2;
int RunWatched(const std::vector<std::string> &argv, const std::function<bool()> &keepGoing,
               std::string &output);

}  // namespace platform::posix
