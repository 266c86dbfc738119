#include "platform/poll_loop.h"

#include "platform/wake_signal.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace nolt {

namespace {

using Clock = PolledConnection::Clock;

// A wait never lasts longer than this, whatever the connections say.
constexpr long long kLongestWaitMs = 60'000;

}  // namespace

RunEnd runConnections(const ConnectionRun& run)
{
    std::vector<std::pair<std::size_t, std::unique_ptr<PolledConnection>>> open;
    std::vector<PollItem> items;
    std::size_t jobs = socketRoom(std::max<std::size_t>(1, run.jobs));
    const bool wakeable = run.wake && run.wake->valid();
    const auto stopped = [&] { return run.stop && run.stop->load(); };
    std::size_t next = 0;

    const auto retire = [&](std::size_t index, PolledConnection& c) {
        if (run.finished) run.finished(index, c);
    };

    while (next < run.count || !open.empty()) {
        if (stopped()) return RunEnd::Stopped;
        while (open.size() < jobs && next < run.count) {
            auto c = run.start(next);
            if (c->lackedSocket()) {
                // What the system gives now is what the run keeps to; the
                // connection waits until one that is open has finished.
                if (open.empty()) return RunEnd::NoSocket;
                jobs = open.size();
                break;
            }
            if (c->done()) retire(next, *c);
            else open.emplace_back(next, std::move(c));
            ++next;
        }
        if (open.empty()) continue;

        items.clear();
        auto due = Clock::time_point::max();
        for (const auto& [index, c] : open) {
            items.push_back(c->pollItem());
            due = std::min(due, c->dueAt());
        }
        if (wakeable) {
            PollItem wake;
            wake.socket = run.wake->waitHandle();
            wake.wantRead = true;
            items.push_back(wake);
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
        pollSockets(items, static_cast<int>(std::clamp<long long>(wait.count(), 0, kLongestWaitMs)));
        if (stopped()) return RunEnd::Stopped;

        const auto now = Clock::now();
        for (std::size_t i = 0; i < open.size(); ++i) {
            PolledConnection& c = *open[i].second;
            c.onEvent(items[i]);
            c.onTime(now);
        }
        std::erase_if(open, [&](auto& entry) {
            if (!entry.second->done()) return false;
            retire(entry.first, *entry.second);
            return true;
        });
        if (run.afterWait) run.afterWait();
    }
    return RunEnd::Finished;
}

}  // namespace nolt
