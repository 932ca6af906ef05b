// Asking the running viewer of this user to look something up over the instance channel
// (InstanceChannel.h listens): what "tkviewer --lookup" does before it loads any GUI
// library, so that a resident viewer answers within milliseconds. No Qt.
#pragma once

#include <string>

#include "viewer/ui/LookupRequest.h"

namespace ui {

// The socket's name in the user's runtime folder.
inline constexpr char kLookupSocketName[] = "taalkist-lookup";

// How long a viewer may take to answer: twice the time it gives a request to arrive.
inline constexpr int kAskTimeoutMs = 2000;

enum class TAsked { Accepted, Refused, NoViewer };

// The socket's path found without the toolkit; empty when there is no runtime folder to
// trust (then no viewer can be listening).
std::string LookupSocketPath();

// Hands the request to the viewer listening at `socketPath`; a viewer that does not answer
// within kAskTimeoutMs is as good as none.
TAsked AskViewer(const std::string &socketPath, const TLookupRequest &request);

}  // namespace ui
