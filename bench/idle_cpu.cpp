// CPU burnt by a connected link while nothing arrives, beside the receive
// loop the tool was first designed with: select() on the socket with a
// 0 s 100 us timeout, round and round. Both run in this process, one after
// the other, against an idle peer on the loopback interface, and both are
// measured as the process's CPU time over the same wall-clock span.
#include "bench_support.h"
#include "link/link.h"
#include "platform/tcp_listener.h"
#include "timing_ui.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace nolt::bench {
namespace {

constexpr const wchar_t* kConnected = L"Connection to server succeeded.";

// The link connected to an idle peer, for `seconds`.
std::optional<double> linkIdleCpu(TcpListener& listener, int seconds)
{
    TimingUi ui;
    Link link(ui);
    link.connect(L"127.0.0.1", std::to_wstring(listener.port()));
    auto peer = listener.accept(5000);
    if (!peer || !ui.waitForLine(kConnected)) return std::nullopt;
    const double before = processCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double used = processCpuSeconds() - before;
    link.reset();
    link.stop([] {});
    return used;
}

// A socket connected to the listener, or -1.
int connectedSocket(TcpListener& listener, std::optional<TcpConnection>& peer)
{
    const int fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(listener.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0) close(fd);
        return -1;
    }
    peer = listener.accept(5000);
    return fd;
}

// The first design's receive loop on an idle socket, for `seconds`.
std::optional<double> pollingLoopCpu(TcpListener& listener, int seconds)
{
    std::optional<TcpConnection> peer;
    const int fd = connectedSocket(listener, peer);
    if (fd < 0 || !peer) return std::nullopt;
    std::atomic<bool> stop{false};
    long passes = 0;
    const double before = processCpuSeconds();
    std::thread loop([&] {
        std::uint8_t buffer[256];
        while (!stop.load(std::memory_order_relaxed)) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(fd, &readable);
            timeval timeout{0, 100};
            ++passes;
            if (select(fd + 1, &readable, nullptr, nullptr, &timeout) > 0 && FD_ISSET(fd, &readable)
                && recv(fd, buffer, sizeof buffer, 0) <= 0)
                break;
        }
    });
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    stop = true;
    loop.join();
    const double used = processCpuSeconds() - before;
    close(fd);
    std::fprintf(stderr, "reference loop: %ld passes in %d s\n", passes, seconds);
    return used;
}

}  // namespace

bool runIdleCpu(int seconds)
{
    auto listener = TcpListener::open("127.0.0.1", 0);
    if (!listener) return false;
    const auto ours = linkIdleCpu(*listener, seconds);
    const auto reference = pollingLoopCpu(*listener, seconds);
    if (!ours || !reference) {
        std::fprintf(stderr, "idle CPU: could not connect on the loopback interface\n");
        return false;
    }
    const std::string span = " over " + std::to_string(seconds) + " s";
    printRow("CPU of an idle connected link" + span, format("%.0f us", *ours * 1e6),
             format("< %.0f ms (1 %%)", seconds * 10.0));
    printRow("CPU of the 100 us select() loop" + span, format("%.3f s", *reference));
    // A link that used no measurable CPU at all is reported against one
    // microsecond, so the ratio stays a lower bound.
    printRow("Idle CPU ratio, select() loop / link", format("%.0fx", *reference / std::max(*ours, 1e-6)),
             ">= 20x");
    return true;
}

}  // namespace nolt::bench
