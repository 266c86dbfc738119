// The measurements that need the real dialog, on the offscreen platform:
//   nolt_bench_gui                 status query round trip through the dialog,
//                                  then the tool's start-up, run 10 times
//   nolt_bench_gui --startup-child the tool's start-up, ended once its
//                                  dialog is shown (used by the parent)
// NOLT_BENCH_QUERIES shortens a run while developing (default 10000).
#include <QApplication>

#include "app/nolt_pcclient_app.h"
#include "bench_support.h"
#include "framework/dialog.h"
#include "sim/server.h"
#include "soak/dialog_session.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

extern char** environ;

namespace nolt::bench {
namespace {

constexpr const wchar_t* kStatusOk = L"Get current movement status successfully";
constexpr int kStartupRuns = 10;

std::int64_t monotonicNanos()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The tool's own start-up (as main() runs it), with a hook that reports the
// moment the main dialog is shown and ends it without saving anything.
int startupChild(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    fw::setModalHook([](fw::CDialogEx& dlg) {
        std::printf("shown %lld\n", static_cast<long long>(monotonicNanos()));
        std::fflush(stdout);
        dlg.EndDialog(res::IDCANCEL);
    });
    Cnolt_PCClientApp app;
    return app.run();
}

bool dialogLatency(int queries)
{
    sim::ServerOptions options;
    options.port = 0;
    sim::SimServer server(options);
    if (!server.start()) return false;
    test::DialogSession session(server.port());
    if (!session.hasLog() || !session.connect()) {
        std::fprintf(stderr, "dialog: no connection to the simulator\n");
        return false;
    }
    std::vector<double> micros;
    for (int i = 0; i < queries; ++i) {
        const int before = session.lines();
        const auto sent = test::DialogSession::Clock::now();
        session.press(res::IDC_STATUS_QUERY);
        if (!session.waitForLines(before + 1, std::chrono::seconds(5))) {
            std::fprintf(stderr, "dialog: query %d was not answered\n", i);
            return false;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(session.lastLineAt() - sent).count());
    }
    const auto lines = session.logLines();
    if (lines.empty() || lines.back() != kStatusOk) {
        std::fprintf(stderr, "dialog: the last line is not the status reply's\n");
        return false;
    }
    session.press(res::IDC_DISCONNECT);
    const std::string label = "Status query round trip, real dialog (" + std::to_string(queries) + " queries)";
    printRow(label + ": median", format("%.1f us", percentile(micros, 0.5)));
    printRow(label + ": p99", format("%.1f us", percentile(micros, 0.99)));
    return true;
}

// Starts this program as the tool would start, and returns the time from
// the start to the dialog shown (ms) and the peak resident memory (KiB).
bool startupOnce(const char* self, double& millis, long& peakKib)
{
    int out[2];
    if (pipe(out) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char flag[] = "--startup-child";
    char* argv[] = {const_cast<char*>(self), flag, nullptr};
    pid_t child = -1;
    const std::int64_t started = monotonicNanos();
    const bool spawned = posix_spawn(&child, self, &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char chunk[256];
    for (ssize_t n; spawned && (n = read(out[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (!spawned || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    long long shown = 0;
    if (std::sscanf(text.c_str(), "shown %lld", &shown) != 1) return false;
    millis = static_cast<double>(shown - started) / 1e6;
    peakKib = usage.ru_maxrss;
    return true;
}

bool startup(const char* self)
{
    std::vector<double> millis;
    long peak = 0;
    for (int i = 0; i < kStartupRuns; ++i) {
        double ms = 0;
        long kib = 0;
        if (!startupOnce(self, ms, kib)) {
            std::fprintf(stderr, "start-up: the tool did not show its dialog and end cleanly\n");
            return false;
        }
        millis.push_back(ms);
        peak = std::max(peak, kib);
    }
    const std::string runs = " (median of " + std::to_string(kStartupRuns) + ", offscreen)";
    printRow("Tool start-up to main dialog shown" + runs, format("%.0f ms", percentile(millis, 0.5)));
    printRow("Tool peak resident memory at start-up", format("%.1f MiB", static_cast<double>(peak) / 1024.0));
    return true;
}

}  // namespace
}  // namespace nolt::bench

int main(int argc, char** argv)
{
    using namespace nolt::bench;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const auto config = std::filesystem::temp_directory_path() / ("nolt-bench-" + std::to_string(getpid()) + "-none.ini");
    setenv("NOLT_PCCLIENT_CONFIG", config.c_str(), 1);
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0) return startupChild(argc, argv);

    bool ok = false;
    {
        QApplication qapp(argc, argv);
        ok = dialogLatency(settingFromEnvironment("NOLT_BENCH_QUERIES", 10000));
    }
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    ok = startup(self.c_str()) && ok;
    return ok ? 0 : 1;
}
