// Many connections on one thread: a wait on a set of sockets at once and a
// non-blocking client socket, for the command-line client's batches and the
// simulator's many modules. The one-connection blocking sockets are in
// tcp_socket.h and tcp_listener.h.
#pragma once

#include "platform/tcp_listener.h"

#include <cstdint>
#include <optional>
#include <span>

namespace nolt {

// Raises the soft limit on open descriptors to the hard limit, so that a
// thousand sockets fit in one process. Does nothing where there is no limit
// of that kind. Returns the limit now in force (0 when unknown).
long raiseOpenFileLimit();

// How many more sockets this process may open at once, at most `wanted`:
// the descriptor limit (raised first) less the descriptors open now and a
// reserve for the files and pipes the rest of the process may still need.
// At least 1, and `wanted` where the system sets no such limit.
std::size_t socketRoom(std::size_t wanted);

// One socket of a wait: what is asked for, and what the wait found.
struct PollItem {
    NativeSocket socket = kNoSocket;
    bool wantRead = false;
    bool wantWrite = false;
    bool readable = false;  // bytes, the end of the stream, or a pending accept
    bool writable = false;  // a connect has finished (check connectSucceeded) or room to send
    bool failed = false;    // an error or hang-up on the socket
};

// Waits at most timeoutMs (-1: no limit) until one of the items is ready and
// sets the found flags of every item. The count of ready items, 0 on time-out,
// -1 on failure.
int pollSockets(std::span<PollItem> items, int timeoutMs);

// A TCP client socket that never blocks: connect, send and receive return at
// once and the caller waits with pollSockets.
class AsyncTcpSocket {
public:
    static constexpr long kWouldBlock = -2;
    // NoSocket: the system had no socket to give (the process's or the
    // system's open files, or its buffers, are used up); nothing was sent,
    // and the same connect may succeed once other sockets have closed.
    enum class ConnectStart { Pending, Connected, Failed, NoSocket };

    AsyncTcpSocket() = default;
    ~AsyncTcpSocket();
    AsyncTcpSocket(AsyncTcpSocket&& other) noexcept;
    AsyncTcpSocket& operator=(AsyncTcpSocket&& other) noexcept;
    AsyncTcpSocket(const AsyncTcpSocket&) = delete;
    AsyncTcpSocket& operator=(const AsyncTcpSocket&) = delete;

    // Creates the socket and starts connecting to an IPv4 address in network
    // byte order. Pending: wait for writability, then ask connectSucceeded().
    ConnectStart connect(std::uint32_t addressNetworkOrder, std::uint16_t port);
    bool connectSucceeded() const;

    // The count moved, kWouldBlock when nothing can move now, -1 on error;
    // receive gives 0 when the peer has closed. Never raises SIGPIPE.
    long send(std::span<const std::uint8_t> bytes) const;
    long receive(std::span<std::uint8_t> buffer) const;

    NativeSocket handle() const { return handle_; }
    bool isOpen() const { return handle_ != kNoSocket; }
    void close();

private:
    NativeSocket handle_ = kNoSocket;
};

}  // namespace nolt
