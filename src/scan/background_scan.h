// A search for modules on a thread of its own, for a window that must stay
// responsive meanwhile. The callbacks run on the search's thread; a window
// turns them into calls on its UI thread, which is why stopping takes the
// window's pump: the thread may be waiting for such a call to complete.
#pragma once

#include "scan/scanner.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace nolt {

class BackgroundScan {
public:
    using Finished = std::function<void(const ScanOutcome&)>;

    BackgroundScan() = default;
    // Stops and joins without pumping: a window stops with its pump first.
    ~BackgroundScan();
    BackgroundScan(const BackgroundScan&) = delete;
    BackgroundScan& operator=(const BackgroundScan&) = delete;

    // Starts a search; does nothing and returns false while one runs.
    // `report` gets the results as addresses finish, `finished` the outcome
    // once, last, also when the search was stopped.
    bool start(const ScanRange& range, const ScanSettings& settings, Scanner::Report report, Finished finished);

    bool running() const { return running_.load(); }

    // Ends a running search at once and joins its thread, calling pumpUi
    // while it waits. No callback runs after this returns.
    void stop(const std::function<void()>& pumpUi);

private:
    void run(Scanner::Report report, Finished finished);

    std::unique_ptr<Scanner> scanner_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::mutex doneMutex_;
    std::condition_variable done_;
};

}  // namespace nolt
