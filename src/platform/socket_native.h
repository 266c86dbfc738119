// Private to the platform folder: the system's socket headers and the few
// differences between Winsock and POSIX sockets that the wrappers share.
#pragma once

#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace nolt::native {

#ifdef _WIN32
using Handle = SOCKET;
inline constexpr Handle kInvalid = INVALID_SOCKET;
inline void closeHandle(Handle h) { ::closesocket(h); }
inline bool wouldBlock() { return ::WSAGetLastError() == WSAEWOULDBLOCK; }
inline bool interrupted() { return false; }
// The system had no socket to give (too many open, no buffer space): the
// same call may succeed once other sockets have closed.
inline bool outOfSockets()
{
    const int e = ::WSAGetLastError();
    return e == WSAEMFILE || e == WSAENOBUFS;
}
inline constexpr int kSendFlags = 0;
inline constexpr int kShutdownBoth = SD_BOTH;
#else
using Handle = int;
inline constexpr Handle kInvalid = -1;
inline void closeHandle(Handle h) { ::close(h); }
inline bool wouldBlock() { return errno == EINPROGRESS || errno == EWOULDBLOCK || errno == EAGAIN; }
inline bool interrupted() { return errno == EINTR; }
inline bool outOfSockets() { return errno == EMFILE || errno == ENFILE || errno == ENOBUFS; }
// A peer that has gone makes send fail instead of raising SIGPIPE.
inline constexpr int kSendFlags = MSG_NOSIGNAL;
inline constexpr int kShutdownBoth = SHUT_RDWR;
#endif

inline std::uintptr_t toStored(Handle h)
{
    return h == kInvalid ? ~std::uintptr_t{0} : static_cast<std::uintptr_t>(h);
}

inline Handle fromStored(std::uintptr_t v)
{
    return v == ~std::uintptr_t{0} ? kInvalid : static_cast<Handle>(v);
}

// Switches blocking mode; connect runs non-blocking so that it can be woken.
inline bool setNonBlocking(Handle h, bool on)
{
#ifdef _WIN32
    u_long mode = on ? 1 : 0;
    return ::ioctlsocket(h, FIONBIO, &mode) == 0;
#else
    const int flags = ::fcntl(h, F_GETFL, 0);
    if (flags < 0) return false;
    return ::fcntl(h, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
#endif
}

}  // namespace nolt::native
