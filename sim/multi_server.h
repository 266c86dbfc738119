// Many simulated modules in one process: one listener per module on
// consecutive ports, or on one port at several addresses, each module with
// its own settings and faults applied independently, all served by one
// thread that waits on every socket at once. A thousand modules cost a
// thousand listening sockets and one thread.
//     MultiServer s(options, 1000); s.start(); ... s.ports() ...; s.stop();
#pragma once

#include "sim/module.h"
#include "sim/server.h"
#include "sim/sim_options.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace nolt::sim {

class MultiServer {
public:
    using LogSink = SimServer::LogSink;

    // count modules, each starting from options.module. options.port is the
    // first port; 0 finds a free run of consecutive ports.
    MultiServer(ServerOptions options, int count, LogSink sink = {});

    // A module at each address, all on one port (0: a free one), each
    // starting from its own options: modules spread over 127.0.0.0/8.
    struct Placed {
        std::string address;
        ModuleOptions module;
    };
    MultiServer(std::vector<Placed> modules, std::uint16_t port, LogSink sink = {});
    ~MultiServer();
    MultiServer(const MultiServer&) = delete;
    MultiServer& operator=(const MultiServer&) = delete;

    // Binds every listener and starts the serving thread. False, with a
    // reason, when a port cannot be bound.
    bool start(std::string* error = nullptr);
    void stop();

    // The ports, one per module, consecutive (or all the same).
    std::vector<std::uint16_t> ports() const;

    // Clients accepted and blocks received by module `index` since start.
    int connectionsAccepted(std::size_t index) const;
    int blocksReceived(std::size_t index) const;

private:
    struct Slot;

    bool bindFrom(std::uint16_t first, std::string* error);
    void run();
    void accept(Slot& slot);
    void receive(Slot& slot);
    void carryOut(Slot& slot, std::chrono::steady_clock::time_point now);
    void dropClient(Slot& slot, const char* why);
    void log(const Slot& slot, const std::string& line);

    ServerOptions options_;
    std::vector<Placed> placed_;
    bool onePort_ = false;  // the modules share a port at their addresses
    LogSink sink_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
};

}  // namespace nolt::sim
