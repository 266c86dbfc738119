// A TCP server around the simulated module: one client at a time, the next
// one accepted when it leaves. It runs on its own thread, so tests can start
// it in-process:
//     SimServer server(options); server.start(); ... server.port() ...; server.stop();
#pragma once

#include "platform/tcp_listener.h"
#include "sim/module.h"
#include "sim/sim_options.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace nolt::sim {

// The first log line, followed by ADDRESS:PORT; scripts read the port from it.
inline constexpr std::string_view kListeningPrefix = "listening on ";

class SimServer {
public:
    // Receives each log line (without its line end). When none is given and
    // the options are not quiet, lines go to stdout.
    using LogSink = std::function<void(const std::string& line)>;

    explicit SimServer(ServerOptions options = {}, LogSink sink = {});
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Binds and starts serving. False (with a reason in error) when the
    // address cannot be bound or the server already runs.
    bool start(std::string* error = nullptr);

    // Ends the current client and the server at once and joins its thread.
    // Safe to call twice and from the destructor.
    void stop();

    bool running() const { return thread_.joinable(); }

    // The bound port, valid after a successful start.
    std::uint16_t port() const { return port_; }

    // A copy of the module's settings as they stand now.
    ModuleState state() const;

    // Changes the module's settings under the server's lock, for example the
    // version or the status report, also while a client is connected.
    void modifyState(const std::function<void(ModuleState&)>& change);

    // Queues bytes to be written to the connected client exactly as given,
    // with no fault applied; the server thread writes them within about
    // 20 ms. False when no client is connected.
    bool inject(Bytes bytes);

    bool clientConnected() const { return clientConnected_.load(); }

    // Clients accepted and frames received since start.
    int connectionsAccepted() const { return connections_.load(); }
    int framesReceived() const { return frames_.load(); }

private:
    void run();
    void serve(TcpConnection& client);
    bool execute(TcpConnection& client, const std::vector<Action>& actions);
    bool pause(int ms);
    bool writeInjected(TcpConnection& client);
    void log(const std::string& line);
    void logReceived(const std::vector<Received>& units);

    ServerOptions options_;
    LogSink sink_;
    TcpListener listener_;
    std::uint16_t port_ = 0;
    std::thread thread_;

    mutable std::mutex moduleMutex_;
    Module module_;

    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    std::atomic<bool> stopping_{false};

    std::mutex injectMutex_;
    std::vector<Bytes> injected_;
    std::atomic<bool> clientConnected_{false};

    std::atomic<int> connections_{0};
    std::atomic<int> frames_{0};
};

}  // namespace nolt::sim
