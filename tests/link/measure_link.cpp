// Measures the link on the loopback interface: the time from a reply being
// written by the module to its log line, and the CPU the process uses while
// connected and idle.
//   measure_link [replies] [idle-seconds]
#include "link/link.h"
#include "link/recording_ui.h"
#include "platform/tcp_listener.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace nolt;
using Clock = std::chrono::steady_clock;

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv)
{
    const int replies = argc > 1 ? std::stoi(argv[1]) : 2000;
    const int idleSeconds = argc > 2 ? std::stoi(argv[2]) : 10;

    auto listener = TcpListener::open("127.0.0.1", 0);
    if (!listener) return 1;
    test::RecordingUi ui;
    std::atomic<std::int64_t> loggedAt{0};
    std::atomic<int> logged{0};
    ui.onLog = [&](const std::wstring&) {
        loggedAt = Clock::now().time_since_epoch().count();
        ++logged;
    };
    Link link(ui);
    link.connect(L"127.0.0.1", std::to_wstring(listener->port()));
    auto peer = listener->accept(5000);
    if (!peer || !ui.waitForLog(L"Connection to server succeeded.")) return 1;

    const Bytes reply = buildFrame(code::kSubStream, {});
    std::vector<double> micros;
    for (int i = 0; i < replies; ++i) {
        const int before = logged.load();
        const auto sent = Clock::now();
        peer->sendAll(reply);
        while (logged.load() == before) std::this_thread::yield();
        const auto at = Clock::time_point(Clock::duration(loggedAt.load()));
        micros.push_back(std::chrono::duration<double, std::micro>(at - sent).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::sort(micros.begin(), micros.end());
    std::printf("replies: %d  latency median %.1f us, p90 %.1f us, max %.1f us\n", replies,
                micros[micros.size() / 2], micros[micros.size() * 9 / 10], micros.back());

    const double cpuBefore = cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("idle connected %d s: CPU %.4f s (%.3f %% of one core)\n", idleSeconds, cpu,
                100.0 * cpu / idleSeconds);
    link.reset();
    link.stop([] {});
    return 0;
}
