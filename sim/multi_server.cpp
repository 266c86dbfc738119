#include "sim/multi_server.h"

#include "platform/socket_poll.h"
#include "sim/hex.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <optional>
#include <random>

namespace nolt::sim {

namespace {

using Clock = std::chrono::steady_clock;

// How long the serving thread waits before it looks at the stop request again.
constexpr int kSliceMs = 20;
// Tries at finding a free run of consecutive ports when none is given.
constexpr int kPortSearches = 20;
constexpr int kSearchBottom = 10000;
constexpr int kSearchTop = 32768;  // where Linux starts its ephemeral ports

}  // namespace

struct MultiServer::Slot {
    Slot(const ModuleOptions& options, std::string at) : address(std::move(at)), module(options) {}

    std::string address;
    TcpListener listener;
    std::uint16_t port = 0;
    std::atomic<int> connections{0};
    std::atomic<int> blocks{0};
    Module module;
    std::optional<TcpConnection> client;
    std::deque<Action> actions;         // planned, not yet carried out
    Clock::time_point resumeAt{};       // end of a pause among the actions
    std::optional<Clock::time_point> infoAt;  // the unsolicited information reply
};

MultiServer::MultiServer(ServerOptions options, int count, LogSink sink)
    : options_(std::move(options)),
      placed_(static_cast<std::size_t>(std::max(count, 0)), Placed{options_.bindAddress, options_.module}),
      sink_(std::move(sink))
{
}

MultiServer::MultiServer(std::vector<Placed> modules, std::uint16_t port, LogSink sink)
    : placed_(std::move(modules)), onePort_(true), sink_(std::move(sink))
{
    options_.port = port;
}

MultiServer::~MultiServer() { stop(); }

bool MultiServer::bindFrom(std::uint16_t first, std::string* error)
{
    slots_.clear();
    for (std::size_t i = 0; i < placed_.size(); ++i) {
        auto slot = std::make_unique<Slot>(placed_[i].module, placed_[i].address);
        const long base = slots_.empty() ? first : slots_[0]->port;
        const long port = first == 0 && i == 0 ? 0 : base + (onePort_ ? 0 : static_cast<long>(i));
        if (port > 65535) {
            if (error) *error = "the ports run past 65535";
            return false;
        }
        auto listener = TcpListener::open(slot->address, static_cast<std::uint16_t>(port), 4, error);
        if (!listener) return false;
        slot->port = listener->port();
        slot->listener = std::move(*listener);
        slots_.push_back(std::move(slot));
    }
    return true;
}

bool MultiServer::start(std::string* error)
{
    if (thread_.joinable()) {
        if (error) *error = "the server is already running";
        return false;
    }
    raiseOpenFileLimit();
    bool bound = bindFrom(options_.port, error);
    // Port 0: the system picks the first port, but the ones after it lie in
    // the range it hands out to outgoing connections and are often taken.
    // Further runs start at random below that range.
    std::minstd_rand random(std::random_device{}());
    for (int attempt = 1; !bound && options_.port == 0 && attempt < kPortSearches; ++attempt) {
        const int room = std::max(1, kSearchTop - kSearchBottom - static_cast<int>(placed_.size()));
        bound = bindFrom(static_cast<std::uint16_t>(kSearchBottom + static_cast<int>(random() % room)), error);
    }
    if (!bound) {
        slots_.clear();
        return false;
    }
    stopping_ = false;
    for (const auto& slot : slots_)
        log(*slot, std::string(kListeningPrefix) + slot->address + ":" + std::to_string(slot->port));
    thread_ = std::thread([this] { run(); });
    return true;
}

void MultiServer::stop()
{
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    slots_.clear();
}

std::vector<std::uint16_t> MultiServer::ports() const
{
    std::vector<std::uint16_t> out;
    for (const auto& slot : slots_) out.push_back(slot->port);
    return out;
}

int MultiServer::connectionsAccepted(std::size_t index) const
{
    return index < slots_.size() ? slots_[index]->connections.load() : 0;
}

int MultiServer::blocksReceived(std::size_t index) const
{
    return index < slots_.size() ? slots_[index]->blocks.load() : 0;
}

void MultiServer::run()
{
    std::vector<PollItem> items;
    while (!stopping_) {
        items.clear();
        auto due = Clock::now() + std::chrono::milliseconds(kSliceMs);
        for (const auto& slot : slots_) {
            PollItem item;
            item.wantRead = true;
            item.socket = slot->client ? slot->client->nativeHandle() : slot->listener.nativeHandle();
            items.push_back(item);
            if (slot->client && !slot->actions.empty()) due = std::min(due, slot->resumeAt);
            if (slot->client && slot->infoAt) due = std::min(due, *slot->infoAt);
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
        pollSockets(items, static_cast<int>(std::max<long long>(0, wait)));
        const auto now = Clock::now();
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            Slot& slot = *slots_[i];
            const bool ready = items[i].readable || items[i].failed;
            if (!slot.client) {
                if (ready) accept(slot);
                continue;
            }
            if (ready) receive(slot);
            if (slot.client && slot.infoAt && now >= *slot.infoAt) {
                slot.infoAt.reset();
                for (Action& a : slot.module.unsolicitedInfo()) slot.actions.push_back(std::move(a));
            }
            if (slot.client) carryOut(slot, now);
        }
    }
}

// One client per module, as on a real module: while it stays, the listener
// is not watched and further clients wait in its backlog.
void MultiServer::accept(Slot& slot)
{
    auto client = slot.listener.accept(0);
    if (!client) return;
    slot.client = std::move(*client);
    ++slot.connections;
    slot.module.startConnection();
    slot.actions.clear();
    slot.resumeAt = Clock::now();
    const int infoAfterMs = slot.module.faults().infoAfterMs;
    if (infoAfterMs > 0) slot.infoAt = Clock::now() + std::chrono::milliseconds(infoAfterMs);
    else slot.infoAt.reset();
    log(slot, "client connected");
}

void MultiServer::receive(Slot& slot)
{
    std::array<std::uint8_t, 4096> buffer{};
    const ReceiveResult r = slot.client->receive(buffer, 0);
    if (r.status == ReceiveResult::Status::Timeout) return;
    if (r.status != ReceiveResult::Status::Data) return dropClient(slot, "client left");
    FeedResult fed = slot.module.feed(std::span(buffer).first(r.count));
    slot.blocks += static_cast<int>(fed.received.size());
    for (const Received& u : fed.received) log(slot, "<- " + blockText(u.bytes, TraceDirection::Received, TracePeer::Module));
    for (Action& a : fed.actions) slot.actions.push_back(std::move(a));
}

// Writes are small and the socket's buffer takes them at once; a pause holds
// this module's later actions only.
void MultiServer::carryOut(Slot& slot, Clock::time_point now)
{
    while (slot.client && !slot.actions.empty() && now >= slot.resumeAt) {
        Action a = std::move(slot.actions.front());
        slot.actions.pop_front();
        switch (a.kind) {
        case Action::Kind::Write:
            log(slot, "-> " + blockText(a.bytes, TraceDirection::Sent, TracePeer::Module));
            if (!slot.client->sendAll(a.bytes)) return dropClient(slot, "client left");
            break;
        case Action::Kind::Pause: slot.resumeAt = now + std::chrono::milliseconds(a.ms); break;
        case Action::Kind::Close: return dropClient(slot, "closed the connection");
        }
    }
}

void MultiServer::dropClient(Slot& slot, const char* why)
{
    slot.client.reset();
    slot.actions.clear();
    slot.infoAt.reset();
    log(slot, why);
}

void MultiServer::log(const Slot& slot, const std::string& line)
{
    if (!sink_ && options_.quiet) return;
    const std::string text = line.starts_with(kListeningPrefix) ? line : std::to_string(slot.port) + " " + line;
    if (sink_) sink_(text);
    else std::cout << text << '\n';
}

}  // namespace nolt::sim
