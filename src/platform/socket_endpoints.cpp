#include "platform/socket_endpoints.h"

#include "platform/socket_native.h"

namespace nolt {

namespace {

template <typename Query>
std::optional<SocketEndpoint> endpoint(native::Handle h, Query query)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (query(h, reinterpret_cast<sockaddr*>(&address), &length) != 0 || address.sin_family != AF_INET)
        return std::nullopt;
    return SocketEndpoint{address.sin_addr.s_addr, ntohs(address.sin_port)};
}

}  // namespace

std::optional<ConnectionEndpoints> connectionEndpoints(NativeSocket socket)
{
    const native::Handle h = native::fromStored(socket);
    if (h == native::kInvalid) return std::nullopt;
    const auto local = endpoint(h, [](auto s, sockaddr* a, socklen_t* n) { return ::getsockname(s, a, n); });
    const auto peer = endpoint(h, [](auto s, sockaddr* a, socklen_t* n) { return ::getpeername(s, a, n); });
    if (!local || !peer) return std::nullopt;
    return ConnectionEndpoints{*local, *peer};
}

}  // namespace nolt
