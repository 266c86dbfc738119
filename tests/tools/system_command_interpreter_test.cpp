#include "platform/system_command_interpreter.h"

#include <gtest/gtest.h>

#include "platform/process_runner.h"

namespace nolt {
namespace {

// Harmless programs stand in for ping and nmcli, and there is no terminal,
// so nothing but /bin/true and /bin/false ever runs here.
SystemCommandInterpreter harmless(const std::string& program)
{
    return SystemCommandInterpreter([program] {
        HostTools t;
        t.ping = program;
        t.nmcli = program;
        t.wiredConnection = "c";
        return t;
    });
}

TEST(SystemCommandInterpreter, RunsThePlanAndReportsItsStatus)
{
    const Command ping{PingIntent{"127.0.0.1"}, "ping 127.0.0.1 -t"};
    const Command address{SetAddressIntent{"x", "10.0.0.2", "10.0.0.1"}, "netsh ..."};
    EXPECT_EQ(harmless("/bin/true").run(ping), 0);
    EXPECT_EQ(harmless("/bin/true").run(address), 0);
    EXPECT_EQ(harmless("/bin/false").run(ping), 1);
    EXPECT_EQ(harmless("/bin/false").run(address), 1);
    EXPECT_EQ(harmless("/nonexistent/tool").run(ping), kSpawnFailed);
}

TEST(SystemCommandInterpreter, MissingToolFailsWithoutRunningAnything)
{
    EXPECT_EQ(harmless("").run(Command{FirewallOffIntent{}, "netsh ..."}), 1);
}

}  // namespace
}  // namespace nolt
