// The two ends of a connected TCP socket as the system reports them: this
// machine's address and port (getsockname) and the peer's (getpeername).
#pragma once

#include "platform/tcp_listener.h"

#include <cstdint>
#include <optional>

namespace nolt {

struct SocketEndpoint {
    std::uint32_t address = 0;  // IPv4, network byte order
    std::uint16_t port = 0;     // host byte order
};

struct ConnectionEndpoints {
    SocketEndpoint local;
    SocketEndpoint peer;
};

// Both ends of a connected IPv4 socket; nullopt when the socket is not
// connected (or not IPv4).
std::optional<ConnectionEndpoints> connectionEndpoints(NativeSocket socket);

}  // namespace nolt
