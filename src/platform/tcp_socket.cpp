#include "platform/tcp_socket.h"

#include "platform/socket_layer.h"
#include "platform/socket_native.h"
#include "platform/wake_signal.h"

#include <utility>

namespace nolt {

namespace {

constexpr int kKeepAliveIdleMs = 3000;
constexpr int kKeepAliveIntervalMs = 500;

#ifndef _WIN32
// Linux counts its keep-alive times in whole seconds; five probes one second
// apart find a vanished peer in about the same 8 s as the Windows settings.
constexpr int kKeepAliveIdleS = kKeepAliveIdleMs / 1000;
constexpr int kKeepAliveIntervalS = 1;
constexpr int kKeepAliveProbes = 5;
#endif

native::Handle handleOf(std::uintptr_t stored) { return native::fromStored(stored); }

}  // namespace

TcpSocket::~TcpSocket() { close(); }

TcpSocket::TcpSocket(TcpSocket&& other) noexcept
    : handle_(std::exchange(other.handle_, ~std::uintptr_t{0}))
{
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, ~std::uintptr_t{0});
    }
    return *this;
}

std::optional<TcpSocket> TcpSocket::create()
{
    if (!initSocketLayer()) return std::nullopt;
    const native::Handle h = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (h == native::kInvalid) return std::nullopt;
#ifndef _WIN32
    ::fcntl(h, F_SETFD, FD_CLOEXEC);
#endif
    return TcpSocket(native::toStored(h));
}

bool TcpSocket::isOpen() const { return handleOf(handle_) != native::kInvalid; }

void TcpSocket::close()
{
    const native::Handle h = handleOf(std::exchange(handle_, ~std::uintptr_t{0}));
    if (h != native::kInvalid) native::closeHandle(h);
}

void TcpSocket::shutdown() const
{
    if (isOpen()) ::shutdown(handleOf(handle_), native::kShutdownBoth);
}

bool TcpSocket::enableKeepAlive()
{
    const native::Handle h = handleOf(handle_);
    int on = 1;
    if (::setsockopt(h, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on) != 0)
        return false;
#ifdef _WIN32
    tcp_keepalive values{};
    values.onoff = 1;
    values.keepalivetime = kKeepAliveIdleMs;
    values.keepaliveinterval = kKeepAliveIntervalMs;
    tcp_keepalive out{};
    DWORD returned = 0;
    ::WSAIoctl(h, SIO_KEEPALIVE_VALS, &values, sizeof values, &out, sizeof out, &returned, nullptr,
               nullptr);
#else
    const int idle = kKeepAliveIdleS;
    const int interval = kKeepAliveIntervalS;
    const int probes = kKeepAliveProbes;
    ::setsockopt(h, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(h, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(h, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    (void)kKeepAliveIntervalMs;
#endif
    return true;
}

namespace {

#ifdef _WIN32
TcpSocket::ConnectOutcome awaitConnect(native::Handle h, const WakeSignal* wake, int timeoutMs)
{
    fd_set writable, failed, readable;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_ZERO(&readable);
    FD_SET(h, &writable);
    FD_SET(h, &failed);
    if (wake && wake->valid()) FD_SET(static_cast<SOCKET>(wake->waitHandle()), &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int n = ::select(0, &readable, &writable, &failed, timeoutMs < 0 ? nullptr : &limit);
    if (n == 0) return TcpSocket::ConnectOutcome::TimedOut;
    if (n < 0) return TcpSocket::ConnectOutcome::Failed;
    if (wake && wake->valid() && FD_ISSET(static_cast<SOCKET>(wake->waitHandle()), &readable))
        return TcpSocket::ConnectOutcome::Woken;
    if (FD_ISSET(h, &writable)) return TcpSocket::ConnectOutcome::Connected;
    return TcpSocket::ConnectOutcome::Failed;
}
#else
TcpSocket::ConnectOutcome awaitConnect(native::Handle h, const WakeSignal* wake, int timeoutMs)
{
    pollfd fds[2] = {{h, POLLOUT, 0}, {-1, POLLIN, 0}};
    if (wake && wake->valid()) fds[1].fd = static_cast<int>(wake->waitHandle());
    int n;
    do {
        n = ::poll(fds, 2, timeoutMs);
    } while (n < 0 && native::interrupted());
    if (n == 0) return TcpSocket::ConnectOutcome::TimedOut;
    if (n < 0) return TcpSocket::ConnectOutcome::Failed;
    if (fds[1].revents & POLLIN) return TcpSocket::ConnectOutcome::Woken;
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(h, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0)
        return TcpSocket::ConnectOutcome::Failed;
    return TcpSocket::ConnectOutcome::Connected;
}
#endif

}  // namespace

TcpSocket::ConnectOutcome TcpSocket::connect(std::uint32_t addressNetworkOrder, std::uint16_t port,
                                             const WakeSignal* wake, int timeoutMs)
{
    const native::Handle h = handleOf(handle_);
    if (h == native::kInvalid || !native::setNonBlocking(h, true)) return ConnectOutcome::Failed;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = addressNetworkOrder;
    ConnectOutcome outcome = ConnectOutcome::Connected;
    if (::connect(h, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        outcome = native::wouldBlock() ? awaitConnect(h, wake, timeoutMs) : ConnectOutcome::Failed;
    }
    native::setNonBlocking(h, false);
    return outcome;
}

#ifdef _WIN32
TcpSocket::WaitOutcome TcpSocket::waitReadable(const WakeSignal& wake, int timeoutMs) const
{
    const SOCKET h = handleOf(handle_);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(h, &readable);
    if (wake.valid()) FD_SET(static_cast<SOCKET>(wake.waitHandle()), &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int n = ::select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit);
    if (n == 0) return WaitOutcome::TimedOut;
    if (n < 0) return WaitOutcome::Failed;
    if (FD_ISSET(h, &readable)) return WaitOutcome::Readable;
    return WaitOutcome::Woken;
}
#else
TcpSocket::WaitOutcome TcpSocket::waitReadable(const WakeSignal& wake, int timeoutMs) const
{
    pollfd fds[2] = {{handleOf(handle_), POLLIN, 0}, {-1, POLLIN, 0}};
    if (wake.valid()) fds[1].fd = static_cast<int>(wake.waitHandle());
    int n;
    do {
        n = ::poll(fds, 2, timeoutMs);
    } while (n < 0 && native::interrupted());
    if (n == 0) return WaitOutcome::TimedOut;
    if (n < 0) return WaitOutcome::Failed;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) return WaitOutcome::Readable;
    if (fds[0].revents & POLLNVAL) return WaitOutcome::Failed;
    return WaitOutcome::Woken;
}
#endif

long TcpSocket::receive(std::span<std::uint8_t> buffer) const
{
    const auto n = ::recv(handleOf(handle_), reinterpret_cast<char*>(buffer.data()),
                          static_cast<int>(buffer.size()), 0);
    return n < 0 ? -1 : static_cast<long>(n);
}

long TcpSocket::send(std::span<const std::uint8_t> bytes) const
{
    const auto n = ::send(handleOf(handle_), reinterpret_cast<const char*>(bytes.data()),
                          static_cast<int>(bytes.size()), native::kSendFlags);
    return n < 0 ? -1 : static_cast<long>(n);
}

std::optional<std::uint32_t> parseDottedAddress(const std::string& text)
{
    const auto value = ::inet_addr(text.c_str());
    if (value == INADDR_NONE) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

}  // namespace nolt
