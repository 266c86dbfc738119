#include "scan/background_scan.h"

#include "platform/pumped_wait.h"

namespace nolt {

BackgroundScan::~BackgroundScan()
{
    stop([] {});
}

bool BackgroundScan::start(const ScanRange& range, const ScanSettings& settings, Scanner::Report report,
                           Finished finished)
{
    if (running_.load()) return false;
    if (thread_.joinable()) thread_.join();  // the last search has ended
    // Its descriptors go before the new one opens its own: the process may
    // have few to spare.
    scanner_.reset();
    scanner_ = std::make_unique<Scanner>(range, settings);
    running_ = true;
    thread_ = std::thread(&BackgroundScan::run, this, std::move(report), std::move(finished));
    return true;
}

void BackgroundScan::run(Scanner::Report report, Finished finished)
{
    const ScanOutcome outcome = scanner_->run(report);
    if (finished) finished(outcome);
    {
        std::lock_guard lock(doneMutex_);
        running_ = false;
    }
    done_.notify_all();
}

void BackgroundScan::stop(const std::function<void()>& pumpUi)
{
    if (scanner_) scanner_->stop();
    std::unique_lock lock(doneMutex_);
    waitPumping(lock, done_, [this] { return !running_.load(); }, pumpUi);
    lock.unlock();
    if (thread_.joinable()) thread_.join();
}

}  // namespace nolt
