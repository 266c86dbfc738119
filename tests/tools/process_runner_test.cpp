#include "platform/process_runner.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/temp_folder.h"

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

// A folder of stand-in programs (scripts that do nothing), made the working
// folder, with PATH and DISPLAY set, all restored afterwards.
class FakeMachine {
public:
    FakeMachine()
    {
        for (const char* name : {"PATH", "DISPLAY", "WAYLAND_DISPLAY"}) {
            const char* v = std::getenv(name);
            saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
        }
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.path());
        setenv("DISPLAY", ":99", 1);
    }
    ~FakeMachine()
    {
        std::filesystem::current_path(oldCwd_);
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    // A stand-in program at folder/sub/name.
    std::string plant(const std::string& sub, const std::string& name)
    {
        std::filesystem::create_directories(folder_ / sub);
        const auto path = folder_ / sub / name;
        std::ofstream(path) << "#!/bin/sh\nexit 0\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return std::filesystem::canonical(path).string();
    }
    std::string dir(const std::string& sub) const { return (folder_ / sub).string(); }

private:
    test::TempFolder folder_;
    std::filesystem::path oldCwd_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Programs planted in the working folder are never found through a relative
// PATH entry ("", ".", "bin", "./bin"), only through absolute ones.
TEST(ProcessRunner, RelativeSearchPathEntriesAreIgnored)
{
    FakeMachine m;
    for (const char* name : {"ufw", "xterm", "ping", "nmcli", "ip"}) {
        m.plant(".", name);
        m.plant("bin", name);
    }
    const std::string good = m.plant("abs", "ping");
    for (const char* path : {"", ".", ":", "bin", "./bin", ".:bin:./bin::"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(findProgram("ufw", path), "");
        EXPECT_EQ(findProgram("ping", std::string(path) + ":" + m.dir("abs")), good);
    }
    setenv("PATH", ".:bin::./bin", 1);
    const HostTools t = detectHostTools();
    const std::string planted = std::filesystem::current_path().string();
    for (const std::string& found : {t.ufw, t.ping, t.nmcli, t.ip, t.systemctl}) {
        EXPECT_FALSE(found.starts_with(planted)) << found;
        EXPECT_TRUE(found.empty() || found.starts_with("/")) << found;
    }
    for (const std::string& arg : t.terminal) EXPECT_FALSE(arg.starts_with(planted)) << arg;
}

// Only terminals that stay until their command has ended are used, each with
// the option that makes it so; x-terminal-emulator may hand the command to a
// terminal server and return at once, so it is never used.
TEST(ProcessRunner, OnlyTerminalsThatWaitForTheirCommandAreUsed)
{
    using Argv = std::vector<std::string>;
    const struct {
        std::vector<const char*> present;
        std::optional<std::pair<const char*, Argv>> expected;  // program, options
    } cases[] = {
        {{"x-terminal-emulator"}, std::nullopt},
        {{"x-terminal-emulator", "xfce4-terminal", "urxvt"}, std::nullopt},
        {{"x-terminal-emulator", "xterm"}, std::pair{"xterm", Argv{"-e"}}},
        {{"x-terminal-emulator", "konsole"}, std::pair{"konsole", Argv{"--nofork", "-e"}}},
        {{"x-terminal-emulator", "gnome-terminal"}, std::pair{"gnome-terminal", Argv{"--wait", "--"}}},
        {{"gnome-terminal", "konsole", "xterm"}, std::pair{"xterm", Argv{"-e"}}},
    };
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.present.front() + std::string(" ... ") + c.present.back());
        FakeMachine m;
        const std::string sub = "bin" + std::to_string(round++);
        Argv expected;
        for (const char* name : c.present) {
            const std::string path = m.plant(sub, name);
            if (c.expected && name == std::string(c.expected->first)) expected.push_back(path);
        }
        if (c.expected) expected.insert(expected.end(), c.expected->second.begin(), c.expected->second.end());
        setenv("PATH", m.dir(sub).c_str(), 1);
        EXPECT_EQ(detectHostTools().terminal, expected);
        // Without a terminal the steps run in the tool's own console, and
        // the user is told so.
        HostTools tools = detectHostTools();
        tools.ping = "/bin/true";
        const LinuxPlan plan = mapToLinux(PingIntent{"127.0.0.1"}, tools);
        EXPECT_EQ(plan.consoleNote.empty(), c.expected.has_value());
    }
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
    t.terminal = {"/usr/bin/xterm", "-e"};
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
