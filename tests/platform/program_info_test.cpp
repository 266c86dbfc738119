#include "platform/program_info.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace nolt {
namespace {

struct InfoCase {
    std::vector<const char*> args;  // after the program name
    std::optional<int> status;
    std::string printed;
};

TEST(ProgramInfo, AnswersVersionAndHelpAndOtherwiseLetsTheProgramStart)
{
    const std::string version = std::string("nolt-x ") + NOLT_TEST_VERSION + "\n";
    const std::vector<InfoCase> table{
        {{}, std::nullopt, ""},
        {{"--version"}, 0, version},
        {{"-platform", "offscreen", "--version"}, 0, version},
        {{"--help"}, 0, "HELP"},
        {{"-h"}, 0, "HELP"},
        {{"--help", "--version"}, 0, "HELP"},
        {{"--versions"}, std::nullopt, ""},
        {{"-version"}, std::nullopt, ""},
    };
    for (const InfoCase& c : table) {
        std::vector<char*> argv{const_cast<char*>("nolt-x")};
        for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
        std::ostringstream out;
        const auto status = handleInfoOptions(static_cast<int>(argv.size()), argv.data(), "nolt-x", "HELP", out);
        const std::string first = c.args.empty() ? "(none)" : c.args.front();
        EXPECT_EQ(status, c.status) << first;
        EXPECT_EQ(out.str(), c.printed) << first;
    }
    EXPECT_EQ(versionLine("nolt-sim"), std::string("nolt-sim ") + NOLT_TEST_VERSION);
}

// The tool's help names the places its settings are kept on each system,
// whichever system the test runs on.
TEST(ProgramInfo, PcclientHelpNamesEachSystemsSettingsLocations)
{
    const struct {
        HostSystem system;
        std::vector<std::string> named, notNamed;
    } cases[] = {
        {HostSystem::Posix, {"$XDG_CONFIG_HOME/nolt-pcclient/Config.ini", "NOLT_PCCLIENT_CONFIG"},
         {"C:\\", "LOCALAPPDATA"}},
        {HostSystem::Windows,
         {"C:\\Config.ini", "%LOCALAPPDATA%\\nolt-pcclient\\Config.ini", "%LOCALAPPDATA%\\VirtualStore\\Config.ini",
          "NOLT_PCCLIENT_CONFIG"},
         {"XDG_CONFIG_HOME", "~/.config"}},
    };
    for (const auto& c : cases) {
        const std::string help = pcclientHelpText(c.system);
        SCOPED_TRACE(help);
        EXPECT_EQ(help.rfind("Usage: nolt-pcclient [--help] [--version]\n", 0), 0u);
        EXPECT_EQ(help.back(), '\n');
        for (const std::string& text : c.named) EXPECT_NE(help.find(text), std::string::npos) << text;
        for (const std::string& text : c.notNamed) EXPECT_EQ(help.find(text), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace nolt
