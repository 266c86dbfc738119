#include "cli/runner.h"

#include "cli/text.h"
#include "commands/command_texts.h"
#include "commands/push_address_text.h"
#include "link/frame_reader.h"
#include "link/link_texts.h"
#include "link/replies.h"
#include "platform/poll_loop.h"

#include <algorithm>
#include <array>
#include <memory>

namespace nolt::cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::wstring_view kNotAnAddress = L"The module's answer is not an rtmp:// address";

// Byte 4 of a bandwidth or DHCP echo names the state the module took.
constexpr std::size_t kStateByte = 4;

class Connection : public PolledConnection {
public:
    Connection(const Request& request, const Target& target, const RunSettings& settings)
        : request_(request), settings_(settings), start_(Clock::now()), deadline_(start_ + settings.timeout)
    {
        result_.target = target;
        switch (socket_.connect(target.address, target.port)) {
        case AsyncTcpSocket::ConnectStart::Connected: startSending(); break;
        case AsyncTcpSocket::ConnectStart::Pending: state_ = State::Connecting; break;
        case AsyncTcpSocket::ConnectStart::Failed: fail(Outcome::LinkFailed, kLinkConnectFailedLog); break;
        }
    }

    bool done() const override { return state_ == State::Done; }
    ModuleResult& result() { return result_; }

    PollItem pollItem() const override
    {
        PollItem item;
        item.socket = socket_.handle();
        item.wantWrite = state_ == State::Connecting || state_ == State::Sending;
        item.wantRead = state_ == State::Awaiting;
        return item;
    }

    // The next moment something is due without any socket event.
    Clock::time_point dueAt() const override
    {
        const auto partial = reader_.deadline();
        return partial ? std::min(*partial, deadline_) : deadline_;
    }

    void onEvent(const PollItem& item) override
    {
        if (state_ == State::Connecting && (item.writable || item.failed)) {
            if (!socket_.connectSucceeded()) return fail(Outcome::LinkFailed, kLinkConnectFailedLog);
            startSending();
        } else if (state_ == State::Sending && (item.writable || item.failed)) {
            sendRest();
        } else if (state_ == State::Awaiting && (item.readable || item.failed)) {
            receive();
        }
    }

    void onTime(Clock::time_point now) override
    {
        if (done()) return;
        if (state_ == State::Awaiting) {
            if (auto item = reader_.expire(now)) handle(*item);
            if (done()) return;
        }
        if (now < deadline_) return;
        if (state_ == State::Connecting) return fail(Outcome::LinkFailed, kLinkConnectFailedLog);
        const double limit = std::chrono::duration<double>(settings_.timeout).count();
        fail(Outcome::NoAnswer, L"No answer from the module within " + wide(secondsText(limit)));
    }

private:
    enum class State { Connecting, Sending, Awaiting, Done };

    void startSending()
    {
        state_ = State::Sending;
        sendRest();
    }

    void sendRest()
    {
        while (sentCount_ < request_.bytes.size()) {
            const auto rest = std::span(request_.bytes).subspan(sentCount_);
            const long n = socket_.send(rest);
            if (n == AsyncTcpSocket::kWouldBlock) return;
            if (n < 0) {
                // The upload reports a failed send as the dialog does, with the not-connected box.
                const std::wstring_view text = request_.await == Request::Await::Nothing
                                                   ? kNotConnectedAscii
                                                   : std::wstring_view(kLinkSendFailed);
                return fail(Outcome::LinkFailed, std::wstring(text));
            }
            trace(TraceDirection::Sent, rest.first(static_cast<std::size_t>(n)));
            sentCount_ += static_cast<std::size_t>(n);
        }
        result_.sent = request_.bytes;
        if (request_.await == Request::Await::Nothing) return finish(Outcome::Sent);
        state_ = State::Awaiting;
    }

    void receive()
    {
        std::array<std::uint8_t, kReceiveBufferSize> buffer{};
        while (!done()) {
            const long n = socket_.receive(buffer);
            if (n == AsyncTcpSocket::kWouldBlock) return;
            if (n <= 0) return fail(Outcome::LinkFailed, kLinkDisconnected);
            const auto block = std::span(buffer).first(static_cast<std::size_t>(n));
            trace(TraceDirection::Received, block);
            result_.received.emplace_back(block.begin(), block.end());
            for (const ReceivedItem& item : reader_.feed(block, Clock::now())) {
                handle(item);
                if (done()) return;
            }
        }
    }

    // Every frame is reported as the dialog reports it; the one that answers
    // the command decides the outcome.
    void handle(const ReceivedItem& item)
    {
        if (item.kind == ReceivedItem::Kind::Text) {
            if (request_.await != Request::Await::PushAddress) return;  // the dialog drops it too
            const auto address = acceptPushAddressAnswer(item.text);
            if (!address) return fail(Outcome::Refused, std::wstring(kNotAnAddress));
            result_.lines.push_back(*address);
            return finish(Outcome::Confirmed);
        }
        bool linkEnds = false;
        for (Effect& effect : handleReply(item.frame)) {
            switch (effect.kind) {
            case Effect::Kind::Log:
            case Effect::Kind::MessageBox:
                // A box that repeats the log line just written adds nothing on a terminal.
                if (result_.lines.empty() || result_.lines.back() != effect.text) result_.lines.push_back(effect.text);
                break;
            case Effect::Kind::FieldText: result_.fields.push_back(std::move(effect)); break;
            case Effect::Kind::LinkReset: linkEnds = true; break;
            }
        }
        const Verification v = verifyFrame(item.frame);
        if (request_.await == Request::Await::Reply && v.code == request_.replyCode) {
            const bool stateOk = !request_.state || item.frame[kStateByte] == *request_.state;
            return finish(v.checksumOk && stateOk ? Outcome::Confirmed : Outcome::Refused);
        }
        // The module closed the session itself (information storage reply).
        if (linkEnds) finish(Outcome::LinkFailed);
    }

    void trace(TraceDirection direction, std::span<const std::uint8_t> bytes)
    {
        if (settings_.trace) settings_.trace->record(result_.target.label(), direction, bytes);
    }

    void fail(Outcome outcome, std::wstring line)
    {
        result_.lines.push_back(std::move(line));
        finish(outcome);
    }

    void finish(Outcome outcome)
    {
        result_.outcome = outcome;
        result_.seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        state_ = State::Done;
        socket_.close();
    }

    const Request& request_;
    const RunSettings& settings_;
    AsyncTcpSocket socket_;
    FrameReader reader_;
    State state_ = State::Connecting;
    std::size_t sentCount_ = 0;
    Clock::time_point start_;
    Clock::time_point deadline_;
    ModuleResult result_;
};

}  // namespace

const char* outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Confirmed: return "confirmed";
    case Outcome::Sent: return "sent";
    case Outcome::Refused: return "refused";
    case Outcome::NoAnswer: return "no answer";
    case Outcome::LinkFailed: break;
    }
    return "link failed";
}

std::vector<ModuleResult> runRequest(const Request& request, const std::vector<Target>& targets,
                                     const RunSettings& settings)
{
    std::vector<ModuleResult> results(targets.size());
    ConnectionRun run;
    run.count = targets.size();
    run.jobs = static_cast<std::size_t>(std::max(1, settings.jobs));
    run.start = [&](std::size_t index) { return std::make_unique<Connection>(request, targets[index], settings); };
    run.finished = [&](std::size_t index, PolledConnection& c) {
        results[index] = std::move(static_cast<Connection&>(c).result());
        if (settings.finished) settings.finished(results[index]);
    };
    runConnections(run);
    return results;
}

}  // namespace nolt::cli
