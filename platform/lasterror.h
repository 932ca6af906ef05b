// The text of the last failure of a platform call on this thread, as the system words it.
#pragma once

#include <string>

namespace platform {

// The system's text for the most recent failure reported by this layer on this thread.
std::string LastErrorText();

// The system's text for an error code of this layer (errno values here).
std::string SystemErrorText(int code);

// Records a failure (used by the backends).
void SetLastError(int code, std::string text);
int LastErrorCode();

}  // namespace platform
