// The client side of a TCP connection over IPv4 (the server side is in
// tcp_listener.h). Waits can be ended at once from another thread through a
// WakeSignal, so no caller ever polls on a short timer.
#pragma once

#include "platform/socket_endpoints.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace nolt {

class WakeSignal;

class TcpSocket {
public:
    enum class ConnectOutcome { Connected, Failed, Woken, TimedOut };
    enum class WaitOutcome { Readable, Woken, TimedOut, Failed };

    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // A new IPv4 stream socket, or nullopt when the system refuses one.
    static std::optional<TcpSocket> create();

    bool isOpen() const;

    // Keep-alive with 3 s of idle time before the first probe, so that a
    // module that vanishes without closing is noticed in seconds. Returns
    // whether keep-alive itself could be switched on; the timing is best effort.
    bool enableKeepAlive();

    // Connects to an IPv4 address given in network byte order. The wait ends
    // early when wake is signalled (Woken) or after timeoutMs (-1: only the
    // system's own time-out). The socket is blocking again afterwards.
    ConnectOutcome connect(std::uint32_t addressNetworkOrder, std::uint16_t port,
                           const WakeSignal* wake, int timeoutMs = -1);

    // Blocks until bytes (or the end of the stream) can be read, wake is
    // signalled, or timeoutMs pass (-1: no limit). Readable is checked first
    // so that no data is left unread.
    WaitOutcome waitReadable(const WakeSignal& wake, int timeoutMs = -1) const;

    // One receive: the count read, 0 when the peer closed, -1 on error.
    long receive(std::span<std::uint8_t> buffer) const;

    // One send: the count sent (possibly short) or -1. Never raises SIGPIPE.
    long send(std::span<const std::uint8_t> bytes) const;

    // Both ends of the connection; nullopt while it is not connected.
    std::optional<ConnectionEndpoints> endpoints() const { return connectionEndpoints(handle_); }

    // Ends both directions without releasing the handle, so that another
    // thread still using it sees a failure instead of a reused handle.
    void shutdown() const;

private:
    explicit TcpSocket(std::uintptr_t handle) : handle_(handle) {}
    void close();

    std::uintptr_t handle_ = ~std::uintptr_t{0};
};

// Parses dotted IPv4 text the way the classic inet_addr does (so "127.1" is
// accepted); nullopt when it is not an address. Network byte order.
std::optional<std::uint32_t> parseDottedAddress(const std::string& text);

}  // namespace nolt
