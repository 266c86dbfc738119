#include "cli/runner.h"

#include "cli/text.h"
#include "commands/command_texts.h"
#include "commands/push_address_text.h"
#include "link/frame_exchange.h"
#include "link/link_texts.h"
#include "link/replies.h"
#include "platform/poll_loop.h"

#include <algorithm>
#include <array>
#include <memory>

namespace nolt::cli {

namespace {

constexpr std::wstring_view kNotAnAddress = L"The module's answer is not an rtmp:// address";

// Byte 4 of a bandwidth or DHCP echo names the state the module took.
constexpr std::size_t kStateByte = 4;

class Connection : public FrameExchange {
public:
    Connection(const Request& request, const Target& target, const RunSettings& settings)
        : FrameExchange(target.address, target.port, request.bytes, settings.timeout),
          request_(request),
          settings_(settings)
    {
        result_.target = target;
        recordTo(settings.capture);
        start();
    }

    ModuleResult& result() { return result_; }

private:
    void sent(std::span<const std::uint8_t> bytes) override { trace(TraceDirection::Sent, bytes); }

    void allSent() override
    {
        result_.sent = request_.bytes;
        if (request_.await == Request::Await::Nothing) finish(Outcome::Sent);
    }

    void received(std::span<const std::uint8_t> block) override
    {
        trace(TraceDirection::Received, block);
        result_.received.emplace_back(block.begin(), block.end());
    }

    void failed(Failure why) override
    {
        switch (why) {
        case Failure::Connect: return fail(Outcome::LinkFailed, kLinkConnectFailedLog);
        case Failure::Send:
            // The upload reports a failed send as the dialog does, with the not-connected box.
            return fail(Outcome::LinkFailed, std::wstring(request_.await == Request::Await::Nothing
                                                              ? kNotConnectedAscii
                                                              : std::wstring_view(kLinkSendFailed)));
        case Failure::Closed: return fail(Outcome::LinkFailed, kLinkDisconnected);
        case Failure::NoAnswer: break;
        }
        const double limit = std::chrono::duration<double>(settings_.timeout).count();
        fail(Outcome::NoAnswer, L"No answer from the module within " + wide(secondsText(limit)));
    }

    // Every frame is reported as the dialog reports it; the one that answers
    // the command decides the outcome.
    void handle(const ReceivedItem& item) override
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
        result_.seconds = elapsed();
        FrameExchange::finish();
    }

    const Request& request_;
    const RunSettings& settings_;
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
    std::vector<bool> done(targets.size());
    ConnectionRun run;
    run.count = targets.size();
    run.jobs = static_cast<std::size_t>(std::max(1, settings.jobs));
    run.start = [&](std::size_t index) { return std::make_unique<Connection>(request, targets[index], settings); };
    run.finished = [&](std::size_t index, PolledConnection& c) {
        results[index] = std::move(static_cast<Connection&>(c).result());
        done[index] = true;
        if (settings.finished) settings.finished(results[index]);
    };
    if (runConnections(run) == RunEnd::NoSocket) {
        // The modules that never had a socket say so, rather than nothing.
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (done[i]) continue;
            results[i].target = targets[i];
            results[i].lines.push_back(wide(kNoSocketText));
            if (settings.finished) settings.finished(results[i]);
        }
    }
    return results;
}

}  // namespace nolt::cli
