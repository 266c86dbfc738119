// Round trip of a status query through the core link and the simulated
// module on the loopback interface: from the query's send to the log line
// of its handled reply.
#include "bench_support.h"
#include "link/link.h"
#include "sim/server.h"
#include "timing_ui.h"

#include <cstdio>

namespace nolt::bench {
namespace {

constexpr const wchar_t* kConnected = L"Connection to server succeeded.";
constexpr const wchar_t* kStatusOk = L"Get current movement status successfully";

}  // namespace

bool runLinkLatency(int queries)
{
    sim::ServerOptions options;
    options.port = 0;
    sim::SimServer server(options);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return false;
    }
    TimingUi ui;
    Link link(ui);
    link.connect(L"127.0.0.1", std::to_wstring(server.port()));
    if (!ui.waitForLine(kConnected)) {
        std::fprintf(stderr, "link: no connection to the simulator\n");
        return false;
    }
    const std::uint8_t one[] = {0x01};
    const Bytes query = buildFrame(code::kStatus, one);
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(queries));
    for (int i = 0; i < queries; ++i) {
        const long seen = ui.lines();
        const auto sent = TimingUi::Clock::now();
        TimingUi::Clock::time_point at;
        std::wstring line;
        if (!link.sendCommandFrame(query) || !ui.waitPast(seen, at, line) || line != kStatusOk) {
            std::fprintf(stderr, "link: query %d was not answered\n", i);
            return false;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(at - sent).count());
    }
    link.reset();
    link.stop([] {});
    const std::string label = "Status query round trip, core link (" + std::to_string(queries) + " queries)";
    printRow(label + ": median", format("%.1f us", percentile(micros, 0.5)), "< 1 ms");
    printRow(label + ": p99", format("%.1f us", percentile(micros, 0.99)));
    return true;
}

}  // namespace nolt::bench
