#include "platform/linux_command_map.h"

#include <gtest/gtest.h>

#include "platform/host_tools.h"

namespace nolt {
namespace {

using Argv = std::vector<std::string>;

HostTools everything()
{
    HostTools t;
    t.ufw = "/usr/sbin/ufw";
    t.systemctl = "/bin/systemctl";
    t.firewalld = true;
    t.nmcli = "/usr/bin/nmcli";
    t.wiredConnection = "5f6e-uuid";
    t.ip = "/sbin/ip";
    t.wiredDevice = "enp3s0";
    t.ping = "/bin/ping";
    return t;
}

std::vector<Argv> argvs(const LinuxPlan& plan)
{
    std::vector<Argv> out;
    for (const auto& s : plan.steps) out.push_back(s.argv);
    return out;
}

const SetAddressIntent kAddress{"\xD2\xD4\xCC\xAB\xCD\xF8", "192.168.2.66", "192.168.2.1"};

TEST(LinuxCommandMap, FirewallByAvailableTool)
{
    HostTools t = everything();
    EXPECT_EQ(argvs(mapToLinux(FirewallOffIntent{}, t)), (std::vector<Argv>{{"/usr/sbin/ufw", "disable"}}));
    t.ufw.clear();
    EXPECT_EQ(argvs(mapToLinux(FirewallOffIntent{}, t)),
              (std::vector<Argv>{{"/bin/systemctl", "stop", "firewalld"}}));
    t.firewalld = false;
    const LinuxPlan none = mapToLinux(FirewallOffIntent{}, t);
    EXPECT_TRUE(none.steps.empty());
    EXPECT_EQ(none.consoleMessage, kNoFirewallTool);
}

TEST(LinuxCommandMap, AddressByAvailableTool)
{
    HostTools t = everything();
    EXPECT_EQ(argvs(mapToLinux(kAddress, t)),
              (std::vector<Argv>{{"/usr/bin/nmcli", "connection", "modify", "5f6e-uuid", "ipv4.addresses",
                                  "192.168.2.66/24", "ipv4.gateway", "192.168.2.1", "ipv4.method", "manual"},
                                 {"/usr/bin/nmcli", "connection", "up", "5f6e-uuid"}}));
    t.wiredConnection.clear();  // nmcli without a wired connection falls back to ip
    EXPECT_EQ(argvs(mapToLinux(kAddress, t)),
              (std::vector<Argv>{{"/sbin/ip", "addr", "replace", "192.168.2.66/24", "dev", "enp3s0"},
                                 {"/sbin/ip", "route", "replace", "default", "via", "192.168.2.1"}}));
    t.wiredDevice.clear();
    const LinuxPlan none = mapToLinux(kAddress, t);
    EXPECT_TRUE(none.steps.empty());
    EXPECT_EQ(none.consoleMessage, kNoAddressTool);
}

TEST(LinuxCommandMap, PingRunsUntilStoppedOnlyInAWindow)
{
    HostTools t = everything();
    EXPECT_EQ(argvs(mapToLinux(PingIntent{"127.0.0.1"}, t)),
              (std::vector<Argv>{{"/bin/ping", "-c", "4", "127.0.0.1"}}));
    t.terminal = {"/usr/bin/xterm", "-e"};
    t.shell = "/bin/sh";
    const auto steps = argvs(mapToLinux(PingIntent{"127.0.0.1"}, t));
    ASSERT_EQ(steps.size(), 1u);
    const Argv head(steps[0].begin(), steps[0].begin() + 4);
    EXPECT_EQ(head, (Argv{"/usr/bin/xterm", "-e", "/bin/sh", "-c"}));
    const Argv tail(steps[0].end() - 3, steps[0].end());
    EXPECT_EQ(tail, (Argv{"sh", "/bin/ping", "127.0.0.1"}));
}

TEST(LinuxCommandMap, WindowKeepsEveryArgumentSeparateAndHoldsOnlyAtTheEnd)
{
    HostTools t = everything();
    t.terminal = {"/usr/bin/xterm", "-e"};
    t.shell = "/bin/sh";
    const auto steps = argvs(mapToLinux(kAddress, t));
    ASSERT_EQ(steps.size(), 2u);
    // The script is argv[4]; the program and its arguments follow "sh" unchanged.
    EXPECT_EQ(Argv(steps[1].begin() + 6, steps[1].end()),
              (Argv{"/usr/bin/nmcli", "connection", "up", "5f6e-uuid"}));
    EXPECT_NE(steps[0][4], steps[1][4]);  // first step holds the window only on failure
    EXPECT_EQ(steps[0][4].find("$1"), std::string::npos);  // arguments are never spliced into the script
}

TEST(LinuxCommandMap, MissingToolMessageShownInTheWindow)
{
    HostTools t;
    t.terminal = {"/usr/bin/xterm", "-e"};
    t.shell = "/bin/sh";
    const LinuxPlan plan = mapToLinux(FirewallOffIntent{}, t);
    ASSERT_EQ(plan.steps.size(), 1u);
    EXPECT_EQ(plan.steps[0].argv.back(), kNoFirewallTool);
}

TEST(HostTools, Parsers)
{
    EXPECT_EQ(pickWiredConnection("aaa:802-11-wireless:wlp2s0\n"
                                  "bbb:802-3-ethernet:\n"
                                  "ccc:802-3-ethernet:enp3s0\n"),
              "ccc");
    EXPECT_EQ(pickWiredConnection("bbb:802-3-ethernet:\nddd:802-3-ethernet:\n"), "bbb");
    EXPECT_EQ(pickWiredConnection("aaa:loopback:lo\n"), "");
    EXPECT_EQ(pickWiredDevice({{"wlp2s0", true, true}, {"lo", false, false}, {"enp5s0", true, false},
                               {"docker0", false, false}, {"enp3s0", true, false}}),
              "enp3s0");
    EXPECT_EQ(pickWiredDevice({{"lo", false, false}}), "");
}

}  // namespace
}  // namespace nolt
