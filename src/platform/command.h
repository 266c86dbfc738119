// One operating-system command of the Tools dialog: what it is meant to do
// (the intent) and the exact narrow command line that does it on Windows.
// Platforms without the Windows commands carry out the intent instead.
#pragma once

#include <string>
#include <variant>

namespace nolt {

// Turn the PC's firewall off.
struct FirewallOffIntent {
    bool operator==(const FirewallOffIntent&) const = default;
};

// Give a network connection of the PC a static address with mask
// 255.255.255.0. The connection name is narrow text in code page 936, as the
// Windows command line carries it; the addresses are checked dotted quads.
struct SetAddressIntent {
    std::string connectionName;
    std::string address;
    std::string gateway;
    bool operator==(const SetAddressIntent&) const = default;
};

// Ping an address until the user stops it.
struct PingIntent {
    std::string address;
    bool operator==(const PingIntent&) const = default;
};

using CommandIntent = std::variant<FirewallOffIntent, SetAddressIntent, PingIntent>;

struct Command {
    CommandIntent intent;
    std::string line;  // the narrow command line, byte for byte
    bool operator==(const Command&) const = default;
};

}  // namespace nolt
