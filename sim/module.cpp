#include "sim/module.h"

#include <algorithm>
#include <cctype>

namespace nolt::sim {

namespace {

constexpr std::size_t kPushPrefixLength = 7;  // "rtmp://"

// Payload length the module expects for each command it understands; 0 for
// codes it does not answer.
std::size_t expectedLength(std::uint8_t c)
{
    switch (c) {
    case code::kStatus:
    case code::kVersion:
    case code::kBandwidth:
    case code::kDhcp: return 1;
    case code::kMainStream: return 7;
    case code::kSubStream: return 6;
    case code::kIpSettings: return 22;
    default: return 0;
    }
}

Ipv4 ipAt(std::span<const std::uint8_t> p, std::size_t at)
{
    return {p[at], p[at + 1], p[at + 2], p[at + 3]};
}

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view text)
{
    return bytes.size() >= text.size() && std::equal(text.begin(), text.end(), bytes.begin());
}

// A few bytes of the request may arrive before the rest of it.
bool isProperPrefixOfRequest(std::span<const std::uint8_t> bytes)
{
    return bytes.size() < kAddressRequest.size() &&
           std::equal(bytes.begin(), bytes.end(), kAddressRequest.begin());
}

}  // namespace

Module::Module(const ModuleOptions& options)
    : state_(options.initial), faults_(options.faults), planner_(options.faults)
{
    startConnection();
}

void Module::startConnection()
{
    pending_.clear();
    framesThisConnection_ = 0;
    closing_ = false;
    planner_.startConnection();
}

FeedResult Module::feed(std::span<const std::uint8_t> bytes)
{
    FeedResult result;
    if (closing_ || planner_.dropped()) return result;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::vector<Bytes> replies;
    std::size_t at = 0;
    while (at < pending_.size() && !closing_) {
        const auto rest = std::span<const std::uint8_t>(pending_).subspan(at);
        if (rest[0] == kFrameStart) {
            if (rest.size() < 3 || rest.size() < rest[2] + kFrameOverhead) break;  // await the rest
            const auto frame = rest.first(rest[2] + kFrameOverhead);
            result.received.push_back({true, Bytes(frame.begin(), frame.end())});
            handleFrame(frame, replies);
            at += frame.size();
        } else if (isProperPrefixOfRequest(rest)) {
            break;
        } else {
            // The request is exactly 12 bytes; anything else that is not a
            // frame is an uploaded address, sent whole in one block.
            const std::size_t len = startsWith(rest, kAddressRequest) ? kAddressRequest.size() : rest.size();
            result.received.push_back({false, Bytes(rest.begin(), rest.begin() + static_cast<long>(len))});
            handleText(rest.first(len), replies);
            at += len;
        }
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
    if (closing_) pending_.clear();
    if (faults_.silent) replies.clear();
    result.actions = planner_.plan(std::move(replies), closing_);
    return result;
}

void Module::handleFrame(std::span<const std::uint8_t> frame, std::vector<Bytes>& replies)
{
    const std::uint8_t c = frame[1];
    const auto payload = frame.subspan(3, frame[2]);
    const bool intact = checksum(payload) == frame.back();
    const std::size_t expected = expectedLength(c);
    if (expected != 0) {
        if (intact && payload.size() == expected) {
            answerCommand(c, payload, replies);
        } else {
            // A damaged or malformed command is refused: the module answers
            // with a reply the tool reports as a failure and keeps its state.
            replies.push_back(reply(c, payload, false));
        }
    }
    ++framesThisConnection_;
    if (faults_.infoAfterFrames > 0 && framesThisConnection_ == faults_.infoAfterFrames)
        replies.push_back(reply(code::kInfoStorage, {}));
    if (faults_.closeAfterFrames > 0 && framesThisConnection_ >= faults_.closeAfterFrames)
        closing_ = true;
}

void Module::answerCommand(std::uint8_t c, std::span<const std::uint8_t> payload,
                           std::vector<Bytes>& replies)
{
    switch (c) {
    case code::kStatus: {
        const Bytes status = statusPayload(state_);
        for (int i = 0; i < std::max(1, faults_.statusFlood); ++i) replies.push_back(reply(c, status));
        return;
    }
    case code::kVersion: {
        const auto v = static_cast<std::uint32_t>(state_.version);
        const Bytes p{static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                      static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
        replies.push_back(reply(c, p));
        return;
    }
    case code::kMainStream: storeMainStream(payload); break;
    case code::kSubStream: storeSubStream(payload); break;
    case code::kIpSettings: storeIpSettings(payload); break;
    case code::kBandwidth:
        if (payload[0] <= 1) state_.bandwidth10M = payload[0] == 1;
        break;
    case code::kDhcp:
        if (payload[0] <= 1) state_.dhcpOn = payload[0] == 1;
        break;
    default: return;
    }
    // Settings are acknowledged by echoing them, so one-byte replies name
    // the state that was sent.
    replies.push_back(reply(c, payload));
}

// A field sent as 0 (no choice in the tool's list) or out of range leaves
// the module's current setting alone.
void Module::storeMainStream(std::span<const std::uint8_t> payload)
{
    for (int i = 0; i < main_field::kCount; ++i) {
        const std::uint8_t v = payload[static_cast<std::size_t>(i)];
        if (v >= 1 && v <= kMainFieldMax[static_cast<std::size_t>(i)]) state_.mainStream[static_cast<std::size_t>(i)] = v;
    }
}

// All zeros switch the sub stream off and keep its last settings.
void Module::storeSubStream(std::span<const std::uint8_t> payload)
{
    const bool allZero = std::all_of(payload.begin(), payload.end(), [](std::uint8_t b) { return b == 0; });
    state_.subStreamOn = !allZero;
    for (int i = 0; i < kSubFieldCount; ++i) {
        const std::uint8_t v = payload[static_cast<std::size_t>(i)];
        if (v >= 1 && v <= kSubFieldMax[static_cast<std::size_t>(i)]) state_.subStream[static_cast<std::size_t>(i)] = v;
    }
}

void Module::storeIpSettings(std::span<const std::uint8_t> p)
{
    // Outside UDP push mode the tool sends a filler with port 0 there; the
    // module then keeps its UDP receiver.
    const auto port = static_cast<std::uint16_t>((p[4] << 8) | p[5]);
    if (port != 0) {
        state_.udpDestination = ipAt(p, 0);
        state_.udpPort = port;
    }
    state_.ownAddress = ipAt(p, 6);
    state_.gateway = ipAt(p, 10);
    state_.dns = ipAt(p, 14);
    state_.mask = ipAt(p, 18);
}

void Module::handleText(std::span<const std::uint8_t> text, std::vector<Bytes>& replies)
{
    if (text.size() == kAddressRequest.size() && startsWith(text, kAddressRequest)) {
        if (!faults_.silentOnAddressRequest) replies.push_back(addressAnswer());
        return;
    }
    state_.pushAddress.assign(text.begin(), text.end());
}

Bytes Module::addressAnswer() const
{
    Bytes answer(state_.pushAddress.begin(), state_.pushAddress.end());
    if (faults_.upperCasePrefix) {
        // "rtmp://" becomes "RTMP://", which the tool must not accept.
        const std::size_t n = std::min(answer.size(), kPushPrefixLength);
        for (std::size_t i = 0; i < n; ++i)
            answer[i] = static_cast<std::uint8_t>(std::toupper(answer[i]));
    }
    return answer;
}

Bytes Module::reply(std::uint8_t c, std::span<const std::uint8_t> payload, bool intact) const
{
    Bytes frame = buildFrame(c, payload.first(std::min<std::size_t>(payload.size(), 255)));
    if (!intact || faults_.badChecksum) frame.back() = static_cast<std::uint8_t>(frame.back() + 1);
    return frame;
}

std::vector<Action> Module::unsolicitedInfo()
{
    if (faults_.silent || closing_ || planner_.dropped()) return {};
    return planner_.plan({reply(code::kInfoStorage, {})}, false);
}

}  // namespace nolt::sim
