#include "platform/wake_signal.h"

#include "platform/socket_layer.h"
#include "platform/socket_native.h"

namespace nolt {

namespace {
constexpr std::uintptr_t kNone = ~std::uintptr_t{0};
}

#ifdef _WIN32
// Winsock can only wait on sockets, so the handle is a UDP socket on the
// loopback interface that is connected to itself: signalling sends it one
// datagram.
WakeSignal::WakeSignal() : readEnd_(kNone), writeEnd_(kNone)
{
    if (!initSocketLayer()) return;
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int len = sizeof addr;
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0
        || ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || !native::setNonBlocking(s, true)) {
        ::closesocket(s);
        return;
    }
    readEnd_ = writeEnd_ = static_cast<std::uintptr_t>(s);
}

WakeSignal::~WakeSignal()
{
    if (readEnd_ != kNone) ::closesocket(static_cast<SOCKET>(readEnd_));
}

void WakeSignal::signal()
{
    if (writeEnd_ == kNone) return;
    const char one = 1;
    ::send(static_cast<SOCKET>(writeEnd_), &one, 1, 0);
}

void WakeSignal::drain()
{
    if (readEnd_ == kNone) return;
    char buffer[64];
    while (::recv(static_cast<SOCKET>(readEnd_), buffer, sizeof buffer, 0) > 0) {
    }
}
#else
// A non-blocking pipe: signalling writes one byte, draining reads them all.
WakeSignal::WakeSignal() : readEnd_(kNone), writeEnd_(kNone)
{
    int fds[2];
    if (::pipe(fds) != 0) return;
    for (int fd : fds) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        native::setNonBlocking(fd, true);
    }
    readEnd_ = static_cast<std::uintptr_t>(fds[0]);
    writeEnd_ = static_cast<std::uintptr_t>(fds[1]);
}

WakeSignal::~WakeSignal()
{
    if (readEnd_ != kNone) ::close(static_cast<int>(readEnd_));
    if (writeEnd_ != kNone) ::close(static_cast<int>(writeEnd_));
}

void WakeSignal::signal()
{
    if (writeEnd_ == kNone) return;
    const char one = 1;
    // A full pipe is already readable, so a failed write loses nothing.
    [[maybe_unused]] const auto written = ::write(static_cast<int>(writeEnd_), &one, 1);
}

void WakeSignal::drain()
{
    if (readEnd_ == kNone) return;
    char buffer[64];
    while (::read(static_cast<int>(readEnd_), buffer, sizeof buffer) > 0) {
    }
}
#endif

bool WakeSignal::valid() const { return readEnd_ != kNone; }

}  // namespace nolt
