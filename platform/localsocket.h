// Local (Unix-domain) sockets between processes of one user: whose process is at the other
// end of a connection, and a client's one question to a listening program. The listening
// side is the toolkit's; these are the parts it does not offer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The user id of this process.
std::uint32_t CurrentUserId();

// The user's runtime folder as the toolkit chooses it ($XDG_RUNTIME_DIR, else
// "runtime-USER" in the temporary folder), without the toolkit: a program that only asks
// the listener must find its socket before it loads any GUI library. Empty when that
// folder does not exist, is not this user's or is open to others.
std::string UserRuntimeFolder();

// The user id of the process at the other end of the connected local socket `socket` (a
// file descriptor), as the system recorded it when that process connected; nothing when
// the system cannot tell.
std::optional<std::uint32_t> PeerUserId(std::intptr_t socket);

struct TLocalAnswer {
    enum class TStatus {
        Answered,    // Byte holds the listener's first byte of reply
        NoListener,  // nothing listens there: no socket, or the stale one of a dead program
        Failed,      // a listener that refused, timed out or closed without a reply
    } Status = TStatus::Failed;
    char Byte = 0;
};

// Connects to the socket at `path`, sends `message` and waits at most `timeoutMs` for the
// first byte of the reply.
TLocalAnswer AskLocalSocket(const std::string &path, std::string_view message, int timeoutMs);

}  // namespace platform
