// nolt-sim: a camera module on a TCP port, for trying the tool without
// hardware and for rehearsing faults.
#include "sim/command_line.h"
#include "sim/multi_server.h"
#include "sim/server.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void onStopSignal(int) { g_stopRequested = 1; }

}  // namespace

int main(int argc, char** argv)
{
    using nolt::sim::CommandLine;
    const CommandLine cl = nolt::sim::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (cl.outcome != CommandLine::Outcome::Run) {
        (cl.outcome == CommandLine::Outcome::Error ? std::cerr : std::cout) << cl.text;
        return cl.outcome == CommandLine::Outcome::Error ? 2 : 0;
    }

    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);

    // Scripts read the port from the first line, so it is printed even when
    // the frames are not.
    const bool quiet = cl.options.quiet;
    const auto sink = [quiet](const std::string& line) {
        if (!quiet || line.starts_with(nolt::sim::kListeningPrefix)) std::cout << line << std::endl;
    };
    nolt::sim::SimServer single(cl.options, sink);
    nolt::sim::MultiServer many(cl.options, cl.options.modules, sink);
    const bool multi = cl.options.modules > 1;
    std::string error;
    if (!(multi ? many.start(&error) : single.start(&error))) {
        std::cerr << "nolt-sim: " << error << "\n";
        return 1;
    }
    while (!g_stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    single.stop();
    many.stop();
    return 0;
}
