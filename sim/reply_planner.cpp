#include "sim/reply_planner.h"

#include <algorithm>

namespace nolt::sim {

ReplyPlanner::ReplyPlanner(const Faults& faults)
    : faults_(faults), rng_(faults.dropSeed.value_or(0))
{
}

void ReplyPlanner::startConnection()
{
    dropped_ = false;
    repliesUntilDrop_ = -1;
    if (faults_.dropSeed) {
        const auto within = static_cast<std::uint32_t>(std::max(1, faults_.dropWithinReplies));
        repliesUntilDrop_ = draw(1, within);
    }
}

// Uniform in [lowest, highest]. Plain modulo keeps the sequence the same on
// every standard library, which the distributions do not promise.
std::uint32_t ReplyPlanner::draw(std::uint32_t lowest, std::uint32_t highest)
{
    return lowest + rng_() % (highest - lowest + 1);
}

std::vector<Bytes> ReplyPlanner::repeated(std::vector<Bytes> replies) const
{
    const int times = std::max(1, faults_.repeat);
    if (times == 1) return replies;
    std::vector<Bytes> out;
    out.reserve(replies.size() * static_cast<std::size_t>(times));
    for (const Bytes& r : replies)
        for (int i = 0; i < times; ++i) out.push_back(r);
    return out;
}

// Cuts the reply the drop falls on at a point strictly inside it and drops
// everything after. Returns true when the connection is to be cut here.
bool ReplyPlanner::applyDrop(std::vector<Bytes>& units)
{
    if (repliesUntilDrop_ < 0) return false;
    if (static_cast<long>(units.size()) < repliesUntilDrop_) {
        repliesUntilDrop_ -= static_cast<long>(units.size());
        return false;
    }
    const auto index = static_cast<std::size_t>(repliesUntilDrop_ - 1);
    units.resize(index + 1);
    Bytes& victim = units[index];
    const std::size_t keep = victim.size() < 2 ? 0 : draw(1, static_cast<std::uint32_t>(victim.size() - 1));
    victim.resize(keep);
    repliesUntilDrop_ = -1;
    dropped_ = true;
    return true;
}

void ReplyPlanner::appendWrites(std::vector<Action>& out, const Bytes& bytes) const
{
    if (bytes.empty()) return;
    if (faults_.splitBytes <= 0) {
        out.push_back(Action::write(bytes));
        return;
    }
    const auto piece = static_cast<std::size_t>(faults_.splitBytes);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (at > 0 && faults_.splitPauseMs > 0) out.push_back(Action::pause(faults_.splitPauseMs));
        const std::size_t end = std::min(bytes.size(), at + piece);
        out.push_back(Action::write(Bytes(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(end))));
    }
}

std::vector<Action> ReplyPlanner::plan(std::vector<Bytes> replies, bool closeAfter)
{
    std::vector<Action> out;
    if (dropped_) return out;
    std::vector<Bytes> units = repeated(std::move(replies));
    const bool cut = applyDrop(units);
    if (!units.empty() && faults_.delayMs > 0) out.push_back(Action::pause(faults_.delayMs));
    if (faults_.coalesce) {
        Bytes all;
        for (const Bytes& u : units) all.insert(all.end(), u.begin(), u.end());
        appendWrites(out, all);
    } else {
        for (const Bytes& u : units) appendWrites(out, u);
    }
    if (cut || closeAfter) out.push_back(Action::close());
    return out;
}

}  // namespace nolt::sim
