// The one-thread engine of many connections at once: each connection is a
// small state machine on a non-blocking socket; the loop opens at most
// `jobs` at a time, waits on all their sockets together, and hands each its
// socket's events and the time. Used by the command-line client's batches
// and by the module scanner.
#pragma once

#include "platform/socket_poll.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

namespace nolt {

class WakeSignal;

class PolledConnection {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~PolledConnection() = default;
    virtual bool done() const = 0;
    // What to wait for on the socket now.
    virtual PollItem pollItem() const = 0;
    // The next moment something is due without any socket event.
    virtual Clock::time_point dueAt() const = 0;
    // The wait's findings for this connection's socket.
    virtual void onEvent(const PollItem& item) = 0;
    // Called after every wait, with the time it ended.
    virtual void onTime(Clock::time_point now) = 0;
    // True when no socket could be had for it (see AsyncTcpSocket's
    // NoSocket): it never started and has no verdict, and is started again
    // once other connections have closed theirs.
    virtual bool lackedSocket() const { return false; }
};

struct ConnectionRun {
    std::size_t count = 0;  // connections to run, numbered from 0
    // At most this many open at once, and never more than the process's
    // descriptor limit leaves room for.
    std::size_t jobs = 1;
    // Makes connection `index` (started: it may already be done).
    std::function<std::unique_ptr<PolledConnection>(std::size_t index)> start;
    // Called as each connection is done, in the order they finish.
    std::function<void(std::size_t index, PolledConnection& connection)> finished;
    // Called after each wait once its connections are handled; may be empty.
    std::function<void()> afterWait;
    // When given and set, the run ends, leaving the unfinished connections
    // unreported: it is looked at before any connection starts and after
    // every wait. Signalling `wake` as well ends a wait at once.
    const std::atomic<bool>* stop = nullptr;
    const WakeSignal* wake = nullptr;
};

// What RunEnd::NoSocket means, for the user.
inline constexpr const char* kNoSocketText = "no socket could be opened (too many are open)";

enum class RunEnd {
    Finished,  // every connection is done
    Stopped,   // `stop` was set
    NoSocket,  // a connection lacked a socket while none other was open to free one
};

// Runs the connections on the calling thread. A connection that lacks a
// socket is started again later, with fewer open at once from then on.
RunEnd runConnections(const ConnectionRun& run);

}  // namespace nolt
