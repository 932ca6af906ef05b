// The text of the last failure of a platform call on this thread, as the system words it.
// Codes are the Windows error numbers on every system, so that callers and messages do
// not depend on the backend.
#pragma once

#include <string>

namespace platform {

// Windows error numbers the layer reports (others may occur).
inline constexpr int kErrFileNotFound = 2;
inline constexpr int kErrPathNotFound = 3;
inline constexpr int kErrAccessDenied = 5;
inline constexpr int kErrNotEnoughMemory = 8;
inline constexpr int kErrGenFailure = 31;
inline constexpr int kErrInvalidParameter = 87;
inline constexpr int kErrModNotFound = 126;
inline constexpr int kErrProcNotFound = 127;
inline constexpr int kErrNoAssociation = 1155;

// The system's text for the most recent failure reported by this layer on this thread.
std::string LastErrorText();

// The system's text for an error code of this layer (a Windows error number); empty when
// the system has no text for it.
std::string SystemErrorText(int code);

// Records a failure (used by the backends). An empty text means SystemErrorText(code).
void SetLastError(int code, std::string text);
int LastErrorCode();

// The Windows error number for a POSIX errno value (kErrGenFailure when none fits).
int ErrorFromErrno(int errnoValue);
// Records a failed POSIX call: its Windows number, and the POSIX wording when no number fits.
void SetLastErrorFromErrno(int errnoValue);

}  // namespace platform
