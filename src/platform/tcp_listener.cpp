#include "platform/tcp_listener.h"

#include <cstring>
#include <string>
#include <utility>

#include "platform/socket_layer.h"
#include "platform/socket_native.h"

namespace nolt {

namespace {

using Raw = native::Handle;
using native::interrupted;
using native::kSendFlags;

std::string lastSocketError()
{
#ifdef _WIN32
    return "socket error " + std::to_string(::WSAGetLastError());
#else
    return std::strerror(errno);
#endif
}

Raw raw(NativeSocket h) { return static_cast<Raw>(h); }

// 1 when readable (or at end of stream / error), 0 on time-out, -1 on failure.
int waitReadable(NativeSocket h, int timeoutMs)
{
#ifdef _WIN32
    WSAPOLLFD p{};
    p.fd = raw(h);
    p.events = POLLRDNORM;
    const int r = WSAPoll(&p, 1, timeoutMs);
#else
    pollfd p{};
    p.fd = raw(h);
    p.events = POLLIN;
    int r = ::poll(&p, 1, timeoutMs);
    if (r < 0 && interrupted()) r = 0;
#endif
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void closeHandle(NativeSocket& h)
{
    if (h == kNoSocket) return;
    native::closeHandle(raw(h));
    h = kNoSocket;
}

}  // namespace

// ---- TcpConnection ---------------------------------------------------------

TcpConnection::~TcpConnection() { close(); }

TcpConnection::TcpConnection(TcpConnection&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoSocket))
{
}

TcpConnection& TcpConnection::operator=(TcpConnection&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kNoSocket);
    }
    return *this;
}

ReceiveResult TcpConnection::receive(std::span<std::uint8_t> buffer, int timeoutMs)
{
    using S = ReceiveResult::Status;
    if (!isOpen() || buffer.empty()) return {S::Error, 0};
    const int ready = waitReadable(handle_, timeoutMs);
    if (ready < 0) return {S::Error, 0};
    if (ready == 0) return {S::Timeout, 0};
    const int max = static_cast<int>(buffer.size() > 65536 ? 65536 : buffer.size());
    const auto n = ::recv(raw(handle_), reinterpret_cast<char*>(buffer.data()), max, 0);
    if (n == 0) return {S::Closed, 0};
    if (n < 0) return interrupted() ? ReceiveResult{S::Timeout, 0} : ReceiveResult{S::Error, 0};
    return {S::Data, static_cast<std::size_t>(n)};
}

bool TcpConnection::sendAll(std::span<const std::uint8_t> bytes)
{
    if (!isOpen()) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const int chunk = static_cast<int>(left > 65536 ? 65536 : left);
        const auto n = ::send(raw(handle_), reinterpret_cast<const char*>(bytes.data() + done),
                              chunk, kSendFlags);
        if (n < 0 && interrupted()) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void TcpConnection::close() { closeHandle(handle_); }

void TcpConnection::reset()
{
    if (!isOpen()) return;
    // A zero linger time makes the close send a reset rather than a FIN.
    linger l{};
    l.l_onoff = 1;
    l.l_linger = 0;
    ::setsockopt(raw(handle_), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    close();
}

// ---- TcpListener -----------------------------------------------------------

TcpListener::~TcpListener() { close(); }

TcpListener::TcpListener(TcpListener&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoSocket)), port_(std::exchange(other.port_, 0))
{
}

TcpListener& TcpListener::operator=(TcpListener&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kNoSocket);
        port_ = std::exchange(other.port_, 0);
    }
    return *this;
}

std::optional<TcpListener> TcpListener::open(const std::string& address, std::uint16_t port,
                                             int backlog, std::string* error)
{
    auto fail = [error](const std::string& why) -> std::optional<TcpListener> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (!initSocketLayer()) return fail("the socket library cannot be started");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1)
        return fail("not an IPv4 address: " + address);

    TcpListener listener;
    const Raw s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == native::kInvalid) return fail("cannot create socket: " + lastSocketError());
#ifndef _WIN32
    // A restarted simulator must be able to take its port back at once.
    const int on = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
    listener.handle_ = static_cast<NativeSocket>(s);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        return fail("cannot bind " + address + ":" + std::to_string(port) + ": " + lastSocketError());
    if (::listen(s, backlog) != 0) return fail("cannot listen: " + lastSocketError());

    sockaddr_in bound{};
    socklen_t len = sizeof bound;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&bound), &len) != 0)
        return fail("cannot read the bound port: " + lastSocketError());
    listener.port_ = ntohs(bound.sin_port);
    return listener;
}

std::optional<TcpConnection> TcpListener::accept(int timeoutMs)
{
    if (!isOpen() || waitReadable(handle_, timeoutMs) <= 0) return std::nullopt;
    const Raw c = ::accept(raw(handle_), nullptr, nullptr);
    if (c == native::kInvalid) return std::nullopt;
    return TcpConnection(static_cast<NativeSocket>(c));
}

void TcpListener::close()
{
    closeHandle(handle_);
    port_ = 0;
}

}  // namespace nolt
