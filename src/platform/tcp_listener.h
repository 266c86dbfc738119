// The server side of a TCP connection: a listening socket and the connections
// it accepts. Used by the module simulator and by tests that need a peer on
// the loopback interface. The client side lives in tcp_socket.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace nolt {

// Large enough for a POSIX descriptor and for a Winsock SOCKET.
using NativeSocket = std::uintptr_t;
inline constexpr NativeSocket kNoSocket = ~NativeSocket{0};

// Result of one bounded wait for incoming bytes.
struct ReceiveResult {
    enum class Status { Data, Timeout, Closed, Error };
    Status status = Status::Error;
    std::size_t count = 0;  // bytes stored, for Status::Data
};

// One accepted connection. Move-only; closes its socket when destroyed.
class TcpConnection {
public:
    TcpConnection() = default;
    explicit TcpConnection(NativeSocket handle) : handle_(handle) {}
    ~TcpConnection();
    TcpConnection(TcpConnection&& other) noexcept;
    TcpConnection& operator=(TcpConnection&& other) noexcept;
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    bool isOpen() const { return handle_ != kNoSocket; }

    // Waits at most timeoutMs for bytes and reads what has arrived, up to
    // the buffer's size. Closed means the peer ended the connection.
    ReceiveResult receive(std::span<std::uint8_t> buffer, int timeoutMs);

    // Writes every byte, looping over short writes. False when the peer has
    // gone; never raises SIGPIPE.
    bool sendAll(std::span<const std::uint8_t> bytes);

    // Closes at once. A pending peer read sees the end of the stream.
    void close();
    // Closes with a reset instead: the peer's next send or receive fails.
    void reset();

private:
    NativeSocket handle_ = kNoSocket;
};

// A listening IPv4 socket.
class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(TcpListener&& other) noexcept;
    TcpListener& operator=(TcpListener&& other) noexcept;
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Binds to a dotted IPv4 address and a port (0 picks a free one) and
    // listens with the given backlog. On failure returns nullopt and, when
    // error is given, a readable reason.
    static std::optional<TcpListener> open(const std::string& address, std::uint16_t port,
                                           int backlog = 4, std::string* error = nullptr);

    bool isOpen() const { return handle_ != kNoSocket; }

    // The port actually bound, useful after asking for port 0.
    std::uint16_t port() const { return port_; }

    // Waits at most timeoutMs for a client. Returns nullopt on time-out or error.
    std::optional<TcpConnection> accept(int timeoutMs);

    void close();

private:
    NativeSocket handle_ = kNoSocket;
    std::uint16_t port_ = 0;
};

}  // namespace nolt
