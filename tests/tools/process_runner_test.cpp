#include "platform/process_runner.h"

#include <gtest/gtest.h>

#include "platform/host_tools.h"
#include "platform/linux_command_map.h"

namespace nolt {
namespace {

TEST(ProcessRunner, ExitStatusesAndArgumentsArePassedVerbatim)
{
    EXPECT_EQ(runProcess({"/bin/true"}), 0);
    EXPECT_EQ(runProcess({"/bin/false"}), 1);
    EXPECT_EQ(runProcess({"/nonexistent/program"}), kSpawnFailed);
    EXPECT_EQ(runProcess({}), kSpawnFailed);
    // A shell-looking argument reaches the program as one plain argument.
    EXPECT_EQ(captureProcessOutput({"/bin/echo", "a;b", "$(x) && y"}), "a;b $(x) && y\n");
    EXPECT_FALSE(captureProcessOutput({"/bin/false"}));
}

TEST(ProcessRunner, FindsProgramsAlongTheSearchPath)
{
    EXPECT_EQ(findProgram("sh", "/nonexistent::/bin"), "/bin/sh");
    EXPECT_EQ(findProgram("no-such-program-here", "/bin:/usr/bin"), "");
}

// The window's wrapper scripts run for real with harmless programs in place
// of ping and nmcli, without the terminal itself (argv from index 2 on), and
// with no input so their "Press Enter" ends at once.
std::vector<std::string> withoutTerminal(const LinuxStep& step)
{
    return {step.argv.begin() + 2, step.argv.end()};
}

HostTools harmlessTools(const std::string& program)
{
    HostTools t;
    t.terminal = "/usr/bin/xterm";
    t.shell = "/bin/sh";
    t.ping = program;
    t.nmcli = program;
    t.wiredConnection = "a b";
    return t;
}

TEST(ProcessRunner, WindowScriptsPassArgumentsAndStatusThrough)
{
    const LinuxPlan echo = mapToLinux(PingIntent{"127.0.0.1"}, harmlessTools("/bin/echo"));
    EXPECT_EQ(captureProcessOutput(withoutTerminal(echo.steps[0])),
              "127.0.0.1\n\n[exit status 0] Press Enter to close. ");

    const LinuxPlan fails = mapToLinux(SetAddressIntent{"x", "10.0.0.2", "10.0.0.1"}, harmlessTools("/bin/false"));
    ASSERT_EQ(fails.steps.size(), 2u);
    EXPECT_EQ(runProcess({"/bin/sh", "-c", "exec \"$@\" </dev/null >/dev/null", "sh", "/bin/sh",
                          fails.steps[0].argv[3], fails.steps[0].argv[4], "sh", "/bin/false"}), 1);

    const LinuxPlan args = mapToLinux(SetAddressIntent{"x", "10.0.0.2", "10.0.0.1"}, harmlessTools("/bin/echo"));
    EXPECT_EQ(captureProcessOutput(withoutTerminal(args.steps[0])),
              "connection modify a b ipv4.addresses 10.0.0.2/24 ipv4.gateway 10.0.0.1 ipv4.method manual\n");

    const LinuxPlan message = mapToLinux(FirewallOffIntent{}, harmlessTools(""));
    EXPECT_EQ(captureProcessOutput(withoutTerminal(message.steps[0])),
              std::string(kNoFirewallTool) + "\n\nPress Enter to close. ");
}

}  // namespace
}  // namespace nolt
