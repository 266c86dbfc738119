#include "scan/scanner.h"

#include "commands/command_frames.h"
#include "link/frame_exchange.h"
#include "link/replies.h"
#include "platform/poll_loop.h"
#include "res/resource.h"

#include <algorithm>
#include <bit>
#include <memory>

namespace nolt {

namespace {

using Clock = PolledConnection::Clock;

std::uint32_t networkOrder(std::uint32_t hostOrder)
{
    if constexpr (std::endian::native == std::endian::big) return hostOrder;
    return ((hostOrder & 0xFF) << 24) | ((hostOrder & 0xFF00) << 8) | ((hostOrder >> 8) & 0xFF00) | (hostOrder >> 24);
}

// One address: connect, send the version query, wait for the version
// report. Whatever else happens once connected (the peer closes, sends
// something else, stays silent) means a port that is open without a module.
class Probe : public FrameExchange {
public:
    Probe(std::uint32_t address, const ScanSettings& settings, const Bytes& query)
        : FrameExchange(networkOrder(address), settings.port, query, settings.timeout)
    {
        result_.address = address;
        start();
    }

    const ScanResult& result() const { return result_; }

private:
    void failed(Failure why) override
    {
        finish(why == Failure::Connect ? ScanVerdict::Nothing : ScanVerdict::NoModuleAnswer);
    }

    // A version report decides; other frames may come first (a module may
    // report something unasked) and are passed over; text is no module's.
    void handle(const ReceivedItem& item) override
    {
        if (item.kind == ReceivedItem::Kind::Text) return finish(ScanVerdict::NoModuleAnswer);
        const Verification v = verifyFrame(item.frame);
        if (v.code != code::kVersion) return;
        if (!v.checksumOk) return finish(ScanVerdict::NoModuleAnswer);
        for (const Effect& e : handleReply(item.frame))
            if (e.kind == Effect::Kind::FieldText && e.controlId == res::IDC_VERSION) result_.version = e.text;
        finish(ScanVerdict::Module);
    }

    void finish(ScanVerdict verdict)
    {
        result_.verdict = verdict;
        result_.seconds = elapsed();
        FrameExchange::finish();
    }

    ScanResult result_;
};

}  // namespace

ScanOutcome Scanner::run(const Report& report)
{
    ScanOutcome outcome;
    // Whatever a front end has checked, the limit holds here, where the
    // sockets open.
    if (auto refused = scanRefusedHere(range_)) {
        outcome.error = std::move(*refused);
        return outcome;
    }
    const auto start = Clock::now();
    const Bytes query = versionQueryFrame();
    std::vector<ScanResult> batch;
    const auto flush = [&] {
        if (batch.empty()) return;
        if (report) report(batch);
        batch.clear();
    };

    ConnectionRun run;
    run.count = range_.size();
    run.jobs = static_cast<std::size_t>(std::max(1, settings_.jobs));
    run.start = [&](std::size_t index) { return std::make_unique<Probe>(range_.at(index), settings_, query); };
    run.finished = [&](std::size_t, PolledConnection& c) {
        const ScanResult& r = static_cast<Probe&>(c).result();
        outcome.results.push_back(r);
        batch.push_back(r);
    };
    run.afterWait = flush;
    run.stop = &stopped_;
    run.wake = &wake_;
    const RunEnd end = runConnections(run);
    outcome.stopped = end == RunEnd::Stopped;
    if (end == RunEnd::NoSocket) outcome.error = kNoSocketText;
    flush();
    std::sort(outcome.results.begin(), outcome.results.end(),
              [](const ScanResult& a, const ScanResult& b) { return a.address < b.address; });
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return outcome;
}

void Scanner::stop()
{
    stopped_ = true;
    wake_.signal();
}

}  // namespace nolt
