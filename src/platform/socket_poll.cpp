#include "platform/socket_poll.h"

#include "platform/socket_layer.h"
#include "platform/socket_native.h"

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace nolt {

namespace {

native::Handle raw(NativeSocket h) { return static_cast<native::Handle>(h); }

#ifdef _WIN32
using PollFd = WSAPOLLFD;
constexpr short kReadEvents = POLLRDNORM;
constexpr short kWriteEvents = POLLWRNORM;
int pollNative(PollFd* fds, std::size_t count, int timeoutMs)
{
    return ::WSAPoll(fds, static_cast<ULONG>(count), timeoutMs);
}
#else
using PollFd = pollfd;
constexpr short kReadEvents = POLLIN;
constexpr short kWriteEvents = POLLOUT;
int pollNative(PollFd* fds, std::size_t count, int timeoutMs)
{
    int n;
    do {
        n = ::poll(fds, static_cast<nfds_t>(count), timeoutMs);
    } while (n < 0 && native::interrupted());
    return n;
}
#endif

// Descriptors left for what the process opens besides the sockets of a
// batch or a search: files, pipes, the window system's connections.
constexpr long kReservedDescriptors = 16;

// The descriptors this process has open now; 0 where that cannot be told.
long openDescriptors()
{
#ifdef _WIN32
    return 0;
#else
    std::error_code ec;
    long count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec))
        ++count;
    // The listing itself held one of them.
    return ec ? 0 : std::max(0L, count - 1);
#endif
}

}  // namespace

long raiseOpenFileLimit()
{
#ifdef _WIN32
    return 0;
#else
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    return static_cast<long>(limit.rlim_cur);
#endif
}

std::size_t socketRoom(std::size_t wanted)
{
    const long limit = raiseOpenFileLimit();
    if (limit <= 0) return std::max<std::size_t>(1, wanted);
    const long room = limit - openDescriptors() - kReservedDescriptors;
    return std::clamp<std::size_t>(room > 0 ? static_cast<std::size_t>(room) : 0, 1, std::max<std::size_t>(1, wanted));
}

int pollSockets(std::span<PollItem> items, int timeoutMs)
{
    std::vector<PollFd> fds(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        fds[i].fd = raw(items[i].socket);
        fds[i].events = static_cast<short>((items[i].wantRead ? kReadEvents : 0)
                                           | (items[i].wantWrite ? kWriteEvents : 0));
        fds[i].revents = 0;
    }
    const int n = pollNative(fds.data(), fds.size(), timeoutMs);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const short r = n > 0 ? fds[i].revents : 0;
        items[i].readable = (r & kReadEvents) != 0;
        items[i].writable = (r & kWriteEvents) != 0;
        items[i].failed = (r & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    }
    return n < 0 ? -1 : n;
}

AsyncTcpSocket::~AsyncTcpSocket() { close(); }

AsyncTcpSocket::AsyncTcpSocket(AsyncTcpSocket&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoSocket))
{
}

AsyncTcpSocket& AsyncTcpSocket::operator=(AsyncTcpSocket&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kNoSocket);
    }
    return *this;
}

void AsyncTcpSocket::close()
{
    if (handle_ == kNoSocket) return;
    native::closeHandle(raw(handle_));
    handle_ = kNoSocket;
}

AsyncTcpSocket::ConnectStart AsyncTcpSocket::connect(std::uint32_t addressNetworkOrder, std::uint16_t port)
{
    close();
    if (!initSocketLayer()) return ConnectStart::Failed;
    const native::Handle h = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (h == native::kInvalid) return native::outOfSockets() ? ConnectStart::NoSocket : ConnectStart::Failed;
    handle_ = native::toStored(h);
#ifndef _WIN32
    ::fcntl(h, F_SETFD, FD_CLOEXEC);
#endif
    if (!native::setNonBlocking(h, true)) return ConnectStart::Failed;
    // Commands are a few bytes each; they go out at once.
    const int on = 1;
    ::setsockopt(h, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = addressNetworkOrder;
    if (::connect(h, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return ConnectStart::Connected;
    if (native::wouldBlock()) return ConnectStart::Pending;
    // No buffer space for the connection (Winsock also says so when its
    // local ports are used up): the address was never tried.
    if (native::outOfSockets()) {
        close();
        return ConnectStart::NoSocket;
    }
    return ConnectStart::Failed;
}

bool AsyncTcpSocket::connectSucceeded() const
{
    int error = 0;
#ifdef _WIN32
    int len = sizeof error;
#else
    socklen_t len = sizeof error;
#endif
    return ::getsockopt(raw(handle_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) == 0
           && error == 0;
}

long AsyncTcpSocket::send(std::span<const std::uint8_t> bytes) const
{
    const auto n = ::send(raw(handle_), reinterpret_cast<const char*>(bytes.data()),
                          static_cast<int>(bytes.size()), native::kSendFlags);
    if (n >= 0) return static_cast<long>(n);
    return native::wouldBlock() || native::interrupted() ? kWouldBlock : -1;
}

long AsyncTcpSocket::receive(std::span<std::uint8_t> buffer) const
{
    const auto n = ::recv(raw(handle_), reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0);
    if (n >= 0) return static_cast<long>(n);
    return native::wouldBlock() || native::interrupted() ? kWouldBlock : -1;
}

}  // namespace nolt
