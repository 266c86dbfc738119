// How the Tools dialog's intents are carried out on Linux, which has neither
// netsh nor Windows' ping: a pure mapping from an intent and the tools found
// on the machine to the programs to run. Nothing here runs anything.
//
//   intent        tools present                 steps
//   firewall off  ufw                           ufw disable
//                 firewalld (+ systemctl)       systemctl stop firewalld
//                 neither                       a message, nothing run
//   set address   nmcli + a wired connection    nmcli connection modify C
//                                                 ipv4.addresses A/24 ipv4.gateway G
//                                                 ipv4.method manual
//                                               nmcli connection up C
//                 ip + a wired device           ip addr replace A/24 dev D
//                                               ip route replace default via G
//                 neither                       a message, nothing run
//   ping          ping                          ping A (until stopped)
//
// The address command comes twice, once for each Windows name of the wired
// connection; both map to the same Linux connection, so the steps are ones
// that can be repeated without error ("replace", not "add").
//
// With a terminal program and a display every step runs in a terminal window
// the user sees; the window stays open after the step until Enter is pressed
// (the last step, or a step that failed). Only terminals that stay until
// their command has ended are used, so that the Tools dialog's wait lasts as
// long as the command. Without one the steps run in the tool's own console,
// which a note says first, and ping stops after a few echoes, since nobody
// could stop it otherwise. The arguments go to the programs as separate argv
// entries; the only shell involved is a fixed script that receives them as
// positional parameters and never evaluates them.
#pragma once

#include <string>
#include <vector>

#include "platform/command.h"

namespace nolt {

// The programs found on this machine (full paths; empty when absent) and the
// wired connection or device to configure.
struct HostTools {
    // The terminal's program and the options after which it takes the
    // command to show, e.g. {"/usr/bin/xterm", "-e"}; empty without one.
    std::vector<std::string> terminal;
    std::string shell;             // /bin/sh, runs the fixed wrapper script in the terminal
    std::string ufw;
    std::string systemctl;
    bool firewalld = false;        // firewalld is installed
    std::string nmcli;
    std::string wiredConnection;   // NetworkManager connection (UUID) of the wired device
    std::string ip;
    std::string wiredDevice;       // e.g. "enp3s0"
    std::string ping;
};

struct LinuxStep {
    std::vector<std::string> argv;
    bool operator==(const LinuxStep&) const = default;
};

struct LinuxPlan {
    std::vector<LinuxStep> steps;   // run in order; a failing step ends the plan
    std::string consoleMessage;     // printed to the console when not empty
    std::string consoleNote;        // likewise, before the steps, which run in the console
    bool operator==(const LinuxPlan&) const = default;
};

LinuxPlan mapToLinux(const CommandIntent& intent, const HostTools& tools);

// Ping echoes sent when no terminal window can show a running ping.
inline constexpr int kWindowlessPingCount = 4;

inline constexpr const char* kNoFirewallTool =
    "No firewall tool was found (neither ufw nor firewalld); the firewall was left as it is.";
inline constexpr const char* kNoAddressTool =
    "No way to set the address was found (nmcli with a wired connection, or ip with a wired "
    "device); the address was left as it is.";
inline constexpr const char* kNoPingTool = "The ping program was not found.";
inline constexpr const char* kOutputInConsole =
    "No terminal window that waits for its command can be opened (xterm, konsole or gnome-terminal on a "
    "display): the command runs in this console, and its output follows here.";

}  // namespace nolt
