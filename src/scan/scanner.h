// A search for modules over a range of addresses. The module protocol has
// no discovery message, but every module listens on its port and answers the
// version query, so each address is asked for its version: one non-blocking
// connection per address, many at once on the calling thread, each bounded
// by the time-out from its own start.
#pragma once

#include "platform/wake_signal.h"
#include "scan/scan_range.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace nolt {

inline constexpr std::uint16_t kModulePort = 2000;

struct ScanSettings {
    std::uint16_t port = kModulePort;
    // For the connect and the answer together, per address.
    std::chrono::milliseconds timeout{500};
    int jobs = 256;  // connections open at once
};

enum class ScanVerdict {
    Module,          // answered the version query
    NoModuleAnswer,  // the port is open, but no version report came
    Nothing,         // refused, unreachable or silent before the time-out
};

struct ScanResult {
    std::uint32_t address = 0;  // host byte order
    ScanVerdict verdict = ScanVerdict::Nothing;
    std::wstring version;       // a module's version, as the dialog's version field shows it
    double seconds = 0;         // from the connect to the verdict
};

struct ScanOutcome {
    std::vector<ScanResult> results;  // every address that finished, in address order
    bool stopped = false;             // stop() ended the search early
    // Why the search was refused or broken off (the process is limited to
    // loopback addresses; no socket could be had); empty when it ran.
    std::string error;
    double seconds = 0;
};

class Scanner {
public:
    // Called with the results of the addresses that finished since the last
    // call (in the order they finished), on the scanning thread.
    using Report = std::function<void(std::span<const ScanResult>)>;

    Scanner(const ScanRange& range, const ScanSettings& settings) : range_(range), settings_(settings) {}

    // Searches the whole range on the calling thread, once. Returns when
    // every address has its verdict or stop() was called. A range that this
    // process may not search (scanRefusedHere) is refused before any socket
    // opens; an address whose socket could not be opened waits for one.
    ScanOutcome run(const Report& report = {});

    // Ends run() at once; callable from any thread. Before run(), run()
    // then starts nothing.
    void stop();

private:
    ScanRange range_;
    ScanSettings settings_;
    WakeSignal wake_;
    std::atomic<bool> stopped_{false};
};

}  // namespace nolt
