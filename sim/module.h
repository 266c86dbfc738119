// The simulated camera module: bytes from the tool in, actions (writes,
// pauses, a close) out, with the module's settings kept in between. It knows
// nothing of sockets, so the tests drive it directly.
#pragma once

#include "link/frame.h"
#include "sim/module_state.h"
#include "sim/reply_planner.h"
#include "sim/sim_options.h"

#include <span>
#include <string_view>
#include <vector>

namespace nolt::sim {

// The 12-byte unframed request for the push address.
inline constexpr std::string_view kAddressRequest = "get_addrrtmp";

// One unit the module recognised in its input, for the log.
struct Received {
    bool isFrame = true;  // false: unframed text
    Bytes bytes;
    bool operator==(const Received&) const = default;
};

struct FeedResult {
    std::vector<Received> received;
    std::vector<Action> actions;
};

class Module {
public:
    explicit Module(const ModuleOptions& options = {});

    // A new client: input reassembly and per-connection counters restart.
    // The settings survive, as on a real module that is reconnected.
    void startConnection();

    // Takes whatever one read delivered. Frames may be split across calls or
    // several may arrive in one; a frame's missing rest is awaited.
    FeedResult feed(std::span<const std::uint8_t> bytes);

    // The unsolicited information storage reply, planned with the faults.
    std::vector<Action> unsolicitedInfo();

    const ModuleState& state() const { return state_; }
    ModuleState& state() { return state_; }
    const Faults& faults() const { return faults_; }

    // Bytes held while waiting for the rest of a frame.
    std::size_t pendingBytes() const { return pending_.size(); }

private:
    void handleFrame(std::span<const std::uint8_t> frame, std::vector<Bytes>& replies);
    void handleText(std::span<const std::uint8_t> text, std::vector<Bytes>& replies);
    void answerCommand(std::uint8_t code, std::span<const std::uint8_t> payload,
                       std::vector<Bytes>& replies);
    Bytes reply(std::uint8_t code, std::span<const std::uint8_t> payload, bool intact = true) const;
    Bytes addressAnswer() const;
    void storeMainStream(std::span<const std::uint8_t> payload);
    void storeSubStream(std::span<const std::uint8_t> payload);
    void storeIpSettings(std::span<const std::uint8_t> payload);

    ModuleState state_;
    Faults faults_;
    ReplyPlanner planner_;
    Bytes pending_;
    int framesThisConnection_ = 0;
    bool closing_ = false;
};

}  // namespace nolt::sim
