#include "tools/command_lines.h"

#include <gtest/gtest.h>

namespace nolt {
namespace {

const std::string kLocalName = "\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3";  // "本地连接" in GBK
const std::string kEthernetName = "\xD2\xD4\xCC\xAB\xCD\xF8";        // "以太网" in GBK

std::vector<std::string> lines(const RecordingCommandInterpreter& r)
{
    std::vector<std::string> out;
    for (const Command& c : r.commands()) out.push_back(c.line);
    return out;
}

TEST(ToolsCommands, FirewallLineKeepsItsBlanks)
{
    RecordingCommandInterpreter r;
    runFirewallProcedure(r);
    ASSERT_EQ(r.commands().size(), 1u);
    EXPECT_EQ(r.commands()[0].line, "netsh firewall set opmode mode=disable  &&  pause ");
    EXPECT_EQ(r.commands()[0].intent, CommandIntent{FirewallOffIntent{}});
}

TEST(ToolsCommands, LocalAddressRunsBothNamesInOrderEvenWhenTheFirstFails)
{
    const struct { std::wstring ip, gw; std::string ipN, gwN; } cases[] = {
        {L"192.168.2.66", L"192.168.2.1", "192.168.2.66", "192.168.2.1"},
        {L"10.0.0.7", L"10.0.0.254", "10.0.0.7", "10.0.0.254"},
    };
    for (const auto& c : cases) {
        RecordingCommandInterpreter r;
        r.failCall(0);
        ASSERT_TRUE(runLocalAddressProcedure(r, c.ip, c.gw));
        const std::string tail = "\" static " + c.ipN + " 255.255.255.0 " + c.gwN;
        EXPECT_EQ(lines(r), (std::vector<std::string>{
                                "netsh interface ip set address \"" + kLocalName + tail,
                                "netsh interface ip set address \"" + kEthernetName + tail}));
        EXPECT_EQ(r.commands()[1].intent, CommandIntent(SetAddressIntent{kEthernetName, c.ipN, c.gwN}));
    }
}

TEST(ToolsCommands, PingLine)
{
    RecordingCommandInterpreter r;
    ASSERT_TRUE(runPingProcedure(r, L"192.168.2.119"));
    ASSERT_TRUE(runPingProcedure(r, L"127.0.0.1"));
    EXPECT_EQ(lines(r), (std::vector<std::string>{"ping 192.168.2.119 -t", "ping 127.0.0.1 -t"}));
    EXPECT_EQ(r.commands()[1].intent, CommandIntent(PingIntent{"127.0.0.1"}));
}

TEST(ToolsCommands, GuardRefusesAnythingButADottedQuad)
{
    const std::wstring refused[] = {
        L"", L"1.2.3", L"1.2.3.4.5", L"1.2.3.", L".1.2.3", L"1..2.3", L"256.1.1.1", L"1.1.1.1000",
        L"0001.1.1.1", L"1.1.1.1 ", L" 1.1.1.1", L"1.1.1.1&&calc", L"1.1.1.1\"", L"1.1.1.-1",
        L"1.1.1.1\n", L"１.1.1.1", L"a.b.c.d", L"1.1.1.1;reboot"};
    for (const auto& t : refused) {
        RecordingCommandInterpreter r;
        EXPECT_FALSE(runPingProcedure(r, t));
        EXPECT_FALSE(runLocalAddressProcedure(r, t, L"192.168.2.1"));
        EXPECT_FALSE(runLocalAddressProcedure(r, L"192.168.2.66", t));
        EXPECT_TRUE(r.commands().empty());
    }
    const std::wstring accepted[] = {L"0.0.0.0", L"255.255.255.255", L"001.02.3.255"};
    for (const auto& t : accepted) EXPECT_TRUE(checkedDottedQuad(t)) << t.size();
}

}  // namespace
}  // namespace nolt
