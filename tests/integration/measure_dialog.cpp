// Two figures of the tool, printed as table rows:
//  - the CPU time the tool (its own start-up, connected, idle) uses in ten
//    seconds, from the scripted tool in integration_close_child;
//  - the time from a reply's arrival at the tool's socket to its line in the
//    real dialog's log, over many replies.
//     integration_measure [replies]        (default 2000)
#include <QApplication>

#include "close_child_run.h"
#include "raw_peer.h"
#include "soak/dialog_session.h"

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

namespace nolt::test {
namespace {

using Clock = std::chrono::steady_clock;

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

bool idleCpu()
{
    // The scripted tool saves its settings when it closes: into a file of its own.
    const auto settings = std::filesystem::temp_directory_path() / ("nolt-measure-" + std::to_string(::getpid()) + ".ini");
    setenv("NOLT_PCCLIENT_CONFIG", settings.c_str(), 1);
    struct Remove {
        std::filesystem::path path;
        ~Remove() { std::filesystem::remove(path); }
    } remove{settings};
    RawPeer module;
    const CloseChildRun run = runCloseChild("idle", module.port(), [&](const std::string&) { module.accepted(); });
    if (!run.exitedNormally || run.exitCode != 0) return false;
    const std::string& text = run.output;
    double cpu = 0;
    int over = 0;
    if (std::sscanf(text.c_str(), "idle cpu %lf ms over %d ms", &cpu, &over) != 2 || over <= 0) return false;
    std::printf("| %-58s | %9.2f %% of a core | %-8s |\n", "Tool connected and idle, 10 s: CPU", 100.0 * cpu / over, "< 1 %");
    return true;
}

bool arrivalToLine(int replies)
{
    RawPeer module;
    DialogSession session(module.port());
    if (!session.hasLog() || !session.connect()) return false;
    if (!module.accepted()) return false;
    const Bytes reply = {0xAA, 0x10, 0x00, 0x00};  // "Subcode set successfully"
    std::vector<double> micros;
    for (int i = 0; i < replies; ++i) {
        const int before = session.lines();
        const auto sent = DialogSession::Clock::now();
        if (!module.write(reply) || !session.waitForLines(before + 1, std::chrono::seconds(5))) return false;
        micros.push_back(std::chrono::duration<double, std::micro>(session.lastLineAt() - sent).count());
    }
    session.press(res::IDC_DISCONNECT);
    const std::string label = "Reply at the socket to its log line, real dialog (" + std::to_string(replies) + ")";
    std::printf("| %-58s | %15.1f us | %-8s |\n", (label + ": median").c_str(), percentile(micros, 0.5), "< 1 ms");
    std::printf("| %-58s | %15.1f us | %-8s |\n", (label + ": p99").c_str(), percentile(micros, 0.99), "");
    return true;
}

}  // namespace
}  // namespace nolt::test

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const int replies = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    bool ok = false;
    {
        QApplication app(argc, argv);
        ok = nolt::test::arrivalToLine(replies);
        if (!ok) std::fprintf(stderr, "latency: no connection or a reply was not logged\n");
    }
    if (!nolt::test::idleCpu()) {
        std::fprintf(stderr, "idle CPU: the scripted tool did not connect, idle and exit cleanly\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
