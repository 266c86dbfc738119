// Turns the replies a module has decided to give into the writes, pauses and
// closes a server carries out. Every transport fault (split, coalesce,
// repeat, delay, drop) is decided here, so that it can be tested without a
// socket and replayed exactly from a seed.
#pragma once

#include "link/frame.h"
#include "sim/sim_options.h"

#include <cstdint>
#include <random>
#include <vector>

namespace nolt::sim {

struct Action {
    enum class Kind { Write, Pause, Close };
    Kind kind = Kind::Write;
    Bytes bytes;  // for Write
    int ms = 0;   // for Pause

    static Action write(Bytes b) { return {Kind::Write, std::move(b), 0}; }
    static Action pause(int ms) { return {Kind::Pause, {}, ms}; }
    static Action close() { return {Kind::Close, {}, 0}; }
    bool operator==(const Action&) const = default;
};

class ReplyPlanner {
public:
    explicit ReplyPlanner(const Faults& faults);

    // A new client: the drop point, if any, is drawn afresh.
    void startConnection();

    // The actions for the replies to one read. closeAfter asks for the
    // connection to be closed once they are written.
    std::vector<Action> plan(std::vector<Bytes> replies, bool closeAfter);

    // True once a drop has cut the connection; nothing more is planned then.
    bool dropped() const { return dropped_; }

private:
    std::vector<Bytes> repeated(std::vector<Bytes> replies) const;
    bool applyDrop(std::vector<Bytes>& units);
    void appendWrites(std::vector<Action>& out, const Bytes& bytes) const;
    std::uint32_t draw(std::uint32_t lowest, std::uint32_t highest);

    Faults faults_;
    std::mt19937 rng_;
    long repliesUntilDrop_ = -1;  // -1: no drop on this connection
    bool dropped_ = false;
};

}  // namespace nolt::sim
