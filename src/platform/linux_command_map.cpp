#include "platform/linux_command_map.h"

#include <type_traits>

namespace nolt {

namespace {

using Argv = std::vector<std::string>;

// Runs "$@" in the terminal window and keeps the window open afterwards so
// the user can read the outcome: always after the plan's last step, only on
// failure after the others. The script text is constant; the program and its
// arguments arrive as positional parameters.
constexpr const char* kHoldAlways =
    "\"$@\"; s=$?; printf '\\n[exit status %d] Press Enter to close. ' \"$s\"; read _; exit \"$s\"";
constexpr const char* kHoldOnFailure =
    "\"$@\"; s=$?; if [ \"$s\" -ne 0 ]; then printf '\\n[exit status %d] Press Enter to close. ' "
    "\"$s\"; read _; fi; exit \"$s\"";
constexpr const char* kShowMessage = "printf '%s\\n\\nPress Enter to close. ' \"$1\"; read _ || true";

bool hasWindow(const HostTools& t) { return !t.terminal.empty() && !t.shell.empty(); }

LinuxStep inWindow(const HostTools& t, const char* script, Argv argv)
{
    Argv out = t.terminal;
    out.insert(out.end(), {t.shell, "-c", script, "sh"});
    out.insert(out.end(), argv.begin(), argv.end());
    return {out};
}

// Wraps the bare steps for the window, or returns them as they are.
LinuxPlan finish(const HostTools& t, std::vector<Argv> bare)
{
    LinuxPlan plan;
    if (!hasWindow(t)) plan.consoleNote = kOutputInConsole;
    for (std::size_t i = 0; i < bare.size(); ++i) {
        if (!hasWindow(t)) {
            plan.steps.push_back({bare[i]});
            continue;
        }
        const bool last = i + 1 == bare.size();
        plan.steps.push_back(inWindow(t, last ? kHoldAlways : kHoldOnFailure, bare[i]));
    }
    return plan;
}

LinuxPlan message(const HostTools& t, const char* text)
{
    LinuxPlan plan;
    plan.consoleMessage = text;
    if (hasWindow(t)) plan.steps.push_back(inWindow(t, kShowMessage, {text}));
    return plan;
}

LinuxPlan firewallOff(const HostTools& t)
{
    if (!t.ufw.empty()) return finish(t, {{t.ufw, "disable"}});
    if (t.firewalld && !t.systemctl.empty()) return finish(t, {{t.systemctl, "stop", "firewalld"}});
    return message(t, kNoFirewallTool);
}

LinuxPlan setAddress(const HostTools& t, const SetAddressIntent& a)
{
    const std::string cidr = a.address + "/24";
    if (!t.nmcli.empty() && !t.wiredConnection.empty()) {
        return finish(t, {{t.nmcli, "connection", "modify", t.wiredConnection, "ipv4.addresses", cidr,
                           "ipv4.gateway", a.gateway, "ipv4.method", "manual"},
                          {t.nmcli, "connection", "up", t.wiredConnection}});
    }
    if (!t.ip.empty() && !t.wiredDevice.empty()) {
        return finish(t, {{t.ip, "addr", "replace", cidr, "dev", t.wiredDevice},
                          {t.ip, "route", "replace", "default", "via", a.gateway}});
    }
    return message(t, kNoAddressTool);
}

LinuxPlan ping(const HostTools& t, const PingIntent& p)
{
    if (t.ping.empty()) return message(t, kNoPingTool);
    if (hasWindow(t)) return finish(t, {{t.ping, p.address}});
    return finish(t, {{t.ping, "-c", std::to_string(kWindowlessPingCount), p.address}});
}

}  // namespace

LinuxPlan mapToLinux(const CommandIntent& intent, const HostTools& tools)
{
    return std::visit(
        [&tools](const auto& i) -> LinuxPlan {
            using T = std::decay_t<decltype(i)>;
            if constexpr (std::is_same_v<T, FirewallOffIntent>) return firewallOff(tools);
            else if constexpr (std::is_same_v<T, SetAddressIntent>) return setAddress(tools, i);
            else return ping(tools, i);
        },
        intent);
}

}  // namespace nolt
