#include "sim/server.h"

#include "sim/hex.h"

#include <array>
#include <chrono>
#include <iostream>

namespace nolt::sim {

namespace {

// How long the server thread waits on a socket before it looks at the stop
// request again. Pauses wait on the stop signal itself and end at once.
constexpr int kSliceMs = 20;

using Clock = std::chrono::steady_clock;

}  // namespace

SimServer::SimServer(ServerOptions options, LogSink sink)
    : options_(std::move(options)), sink_(std::move(sink)), module_(options_.module)
{
}

SimServer::~SimServer() { stop(); }

bool SimServer::start(std::string* error)
{
    if (running()) {
        if (error) *error = "the server is already running";
        return false;
    }
    auto listener = TcpListener::open(options_.bindAddress, options_.port, 4, error);
    if (!listener) return false;
    listener_ = std::move(*listener);
    port_ = listener_.port();
    stopping_ = false;
    // Logged before the thread starts, so that it is always the first line.
    log(std::string(kListeningPrefix) + options_.bindAddress + ":" + std::to_string(port_));
    thread_ = std::thread([this] { run(); });
    return true;
}

void SimServer::stop()
{
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    if (thread_.joinable()) thread_.join();
    listener_.close();
}

ModuleState SimServer::state() const
{
    std::lock_guard lock(moduleMutex_);
    return module_.state();
}

void SimServer::modifyState(const std::function<void(ModuleState&)>& change)
{
    std::lock_guard lock(moduleMutex_);
    change(module_.state());
}

bool SimServer::inject(Bytes bytes)
{
    if (!clientConnected_) return false;
    std::lock_guard lock(injectMutex_);
    injected_.push_back(std::move(bytes));
    return true;
}

void SimServer::run()
{
    while (!stopping_) {
        auto client = listener_.accept(kSliceMs);
        if (!client) continue;
        {
            std::lock_guard lock(injectMutex_);
            injected_.clear();
        }
        clientConnected_ = true;
        serve(*client);
        clientConnected_ = false;
    }
}

bool SimServer::writeInjected(TcpConnection& client)
{
    std::vector<Bytes> pending;
    {
        std::lock_guard lock(injectMutex_);
        pending.swap(injected_);
    }
    std::vector<Action> writes;
    for (Bytes& b : pending) writes.push_back(Action::write(std::move(b)));
    return execute(client, writes);
}

void SimServer::serve(TcpConnection& client)
{
    ++connections_;
    log("client connected");
    int infoAfterMs = 0;
    {
        std::lock_guard lock(moduleMutex_);
        module_.startConnection();
        infoAfterMs = module_.faults().infoAfterMs;
    }
    const auto infoAt = Clock::now() + std::chrono::milliseconds(infoAfterMs);
    bool infoDue = infoAfterMs > 0;
    std::array<std::uint8_t, 4096> buffer{};
    while (!stopping_) {
        if (!writeInjected(client)) return;
        if (infoDue && Clock::now() >= infoAt) {
            infoDue = false;
            std::vector<Action> actions;
            {
                std::lock_guard lock(moduleMutex_);
                actions = module_.unsolicitedInfo();
            }
            if (!execute(client, actions)) return;
        }
        const ReceiveResult r = client.receive(buffer, kSliceMs);
        if (r.status == ReceiveResult::Status::Timeout) continue;
        if (r.status != ReceiveResult::Status::Data) {
            log("client left");
            return;
        }
        FeedResult fed;
        {
            std::lock_guard lock(moduleMutex_);
            fed = module_.feed(std::span(buffer).first(r.count));
        }
        logReceived(fed.received);
        if (!execute(client, fed.actions)) return;
    }
}

// Carries out the planned actions. False once the connection is over.
bool SimServer::execute(TcpConnection& client, const std::vector<Action>& actions)
{
    for (const Action& a : actions) {
        switch (a.kind) {
        case Action::Kind::Write:
            log("-> " + blockText(a.bytes, TraceDirection::Sent, TracePeer::Module));
            if (!client.sendAll(a.bytes)) {
                log("client left");
                return false;
            }
            break;
        case Action::Kind::Pause:
            if (!pause(a.ms)) return false;
            break;
        case Action::Kind::Close:
            client.close();
            log("closed the connection");
            return false;
        }
    }
    return true;
}

// Waits, unless a stop request comes first. False when stopping.
bool SimServer::pause(int ms)
{
    std::unique_lock lock(stopMutex_);
    return !stopSignal_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
}

void SimServer::logReceived(const std::vector<Received>& units)
{
    for (const Received& u : units) {
        if (u.isFrame) ++frames_;
        log("<- " + blockText(u.bytes, TraceDirection::Received, TracePeer::Module));
    }
}

void SimServer::log(const std::string& line)
{
    if (sink_) {
        sink_(line);
    } else if (!options_.quiet) {
        std::cout << line << std::endl;
    }
}

}  // namespace nolt::sim
