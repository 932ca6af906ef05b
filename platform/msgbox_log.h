// The message-box log shared by the backends (see TAALKIST_MSGBOX_LOG in msgbox.h).
#pragma once

#include <string>

#include "msgbox.h"

namespace platform {

// The log file named by TAALKIST_MSGBOX_LOG (null or empty when boxes are shown).
const char *MessageBoxLogFile();
// One box as a line of the log, line end included; written with one call, so that the
// records of several processes never interleave.
std::string MessageBoxLogRecord(const std::string &caption, const std::string &text, MsgIcon icon);

}  // namespace platform
