#include "scan/scanner.h"

#include "commands/command_frames.h"
#include "link/frame_reader.h"
#include "link/replies.h"
#include "platform/poll_loop.h"
#include "res/resource.h"

#include <algorithm>
#include <array>
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
class Probe : public PolledConnection {
public:
    Probe(std::uint32_t address, const ScanSettings& settings, const Bytes& query)
        : query_(query), start_(Clock::now()), deadline_(start_ + settings.timeout)
    {
        result_.address = address;
        switch (socket_.connect(networkOrder(address), settings.port)) {
        case AsyncTcpSocket::ConnectStart::Connected: sendQuery(); break;
        case AsyncTcpSocket::ConnectStart::Pending: break;
        case AsyncTcpSocket::ConnectStart::Failed: finish(ScanVerdict::Nothing); break;
        }
    }

    bool done() const override { return state_ == State::Done; }
    const ScanResult& result() const { return result_; }

    PollItem pollItem() const override
    {
        PollItem item;
        item.socket = socket_.handle();
        item.wantWrite = state_ == State::Connecting || state_ == State::Sending;
        item.wantRead = state_ == State::Awaiting;
        return item;
    }

    Clock::time_point dueAt() const override
    {
        const auto partial = reader_.deadline();
        return partial ? std::min(*partial, deadline_) : deadline_;
    }

    void onEvent(const PollItem& item) override
    {
        if (!item.writable && !item.readable && !item.failed) return;
        switch (state_) {
        case State::Connecting:
            if (!socket_.connectSucceeded()) return finish(ScanVerdict::Nothing);
            return sendQuery();
        case State::Sending: return sendQuery();
        case State::Awaiting: return receive();
        case State::Done: return;
        }
    }

    void onTime(Clock::time_point now) override
    {
        if (state_ == State::Awaiting)
            if (auto item = reader_.expire(now)) handle(*item);
        if (done() || now < deadline_) return;
        finish(state_ == State::Connecting ? ScanVerdict::Nothing : ScanVerdict::NoModuleAnswer);
    }

private:
    enum class State { Connecting, Sending, Awaiting, Done };

    void sendQuery()
    {
        state_ = State::Sending;
        while (sent_ < query_.size()) {
            const long n = socket_.send(std::span(query_).subspan(sent_));
            if (n == AsyncTcpSocket::kWouldBlock) return;
            if (n < 0) return finish(ScanVerdict::NoModuleAnswer);
            sent_ += static_cast<std::size_t>(n);
        }
        state_ = State::Awaiting;
    }

    void receive()
    {
        std::array<std::uint8_t, kReceiveBufferSize> buffer{};
        while (!done()) {
            const long n = socket_.receive(buffer);
            if (n == AsyncTcpSocket::kWouldBlock) return;
            if (n <= 0) return finish(ScanVerdict::NoModuleAnswer);
            for (const ReceivedItem& item : reader_.feed(std::span(buffer).first(static_cast<std::size_t>(n)), Clock::now())) {
                handle(item);
                if (done()) return;
            }
        }
    }

    // A version report decides; other frames may come first (a module may
    // report something unasked) and are passed over; text is no module's.
    void handle(const ReceivedItem& item)
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
        result_.seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        state_ = State::Done;
        socket_.close();
    }

    const Bytes& query_;
    AsyncTcpSocket socket_;
    FrameReader reader_;
    State state_ = State::Connecting;
    std::size_t sent_ = 0;
    Clock::time_point start_;
    Clock::time_point deadline_;
    ScanResult result_;
};

}  // namespace

ScanOutcome Scanner::run(const Report& report)
{
    // Hundreds of sockets at once: a descriptor limit of 1,024 would leave
    // the addresses that find none searched in vain.
    raiseOpenFileLimit();
    ScanOutcome outcome;
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
    run.stop = &wake_;
    outcome.stopped = stopped_.load() || !runConnections(run);
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
