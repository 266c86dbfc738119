// Modules placed at chosen addresses of 127.0.0.0/8, all on one port, for
// the tests of the search for modules: two simulated modules (127.0.0.5,
// version 7, and 127.0.0.9, version 1234), a silent one (127.0.0.77) and a
// plain TCP listener that is no module (127.0.0.200). Every other address of
// 127.0.0.0/24 refuses the port.
//
// Searches in tests cover 127.0.0.0/8 only: the constructor limits every
// search of the test program to it, whatever range a test gives.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "platform/tcp_listener.h"
#include "scan/scan_range.h"
#include "sim/multi_server.h"

namespace nolt::test {

class PlantedModules {
public:
    static constexpr const char* kModule = "127.0.0.5";
    static constexpr const char* kOtherModule = "127.0.0.9";
    static constexpr const char* kSilent = "127.0.0.77";
    static constexpr const char* kPlainListener = "127.0.0.200";
    static constexpr std::int32_t kOtherVersion = 1234;
    enum Index : std::size_t { kModuleIndex, kOtherIndex, kSilentIndex };

    PlantedModules()
    {
        limitScansToLoopback();
        // A port below the range the system hands out for port 0, so that
        // no other test's listener or connection can take it meanwhile.
        std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 50 && !port; ++attempt) {
            const auto candidate = static_cast<std::uint16_t>(20000 + random() % 12000);
            if (plantAt(candidate)) port = candidate;
        }
        EXPECT_NE(port, 0) << "no port was free on all four addresses";
    }

    // Clients the simulated modules (all three) have accepted.
    int connectionsAccepted() const
    {
        return modules->connectionsAccepted(kModuleIndex) + modules->connectionsAccepted(kOtherIndex) +
               modules->connectionsAccepted(kSilentIndex);
    }

    std::uint16_t port = 0;
    // One thread serves the three modules: wine delays the socket events of
    // a process in which several threads wait on sockets at once.
    std::unique_ptr<sim::MultiServer> modules;
    std::optional<TcpListener> plain;

private:
    bool plantAt(std::uint16_t candidate)
    {
        sim::ModuleOptions module, other, silent;
        other.initial.version = kOtherVersion;
        silent.faults.silent = true;
        modules = std::make_unique<sim::MultiServer>(
            std::vector<sim::MultiServer::Placed>{{kModule, module}, {kOtherModule, other}, {kSilent, silent}},
            candidate);
        plain = TcpListener::open(kPlainListener, candidate, 8);
        return modules->start() && plain;
    }
};

}  // namespace nolt::test
