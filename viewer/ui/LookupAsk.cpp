#include "viewer/ui/LookupAsk.h"

#include "platform/localsocket.h"

namespace ui {

std::string LookupSocketPath() {
    const std::string folder = platform::UserRuntimeFolder();
    return folder.empty() ? std::string() : folder + "/" + kLookupSocketName;
}

TAsked AskViewer(const std::string &socketPath, const TLookupRequest &request) {
    using TStatus = platform::TLocalAnswer::TStatus;
    if (socketPath.empty())
        return TAsked::NoViewer;
    const platform::TLocalAnswer answer =
        platform::AskLocalSocket(socketPath, WriteLookupRequest(request), kAskTimeoutMs);
    if (answer.Status != TStatus::Answered)
        return TAsked::NoViewer;
    return answer.Byte == kAccepted ? TAsked::Accepted : TAsked::Refused;
}

}  // namespace ui
