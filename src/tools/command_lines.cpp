#include "tools/command_lines.h"

namespace nolt {

namespace {

constexpr std::string_view kFirewallLine = "netsh firewall set opmode mode=disable  &&  pause ";
constexpr std::string_view kSetAddressHead = "netsh interface ip set address \"";
constexpr std::string_view kSetAddressStatic = "\" static ";
constexpr std::string_view kSetAddressMask = " 255.255.255.0 ";
constexpr std::string_view kPingHead = "ping ";
constexpr std::string_view kPingTail = " -t";

// The Windows names of the wired connection, in code page 936 (GBK):
// "本地连接" on older systems, "以太网" on newer ones.
constexpr std::string_view kLocalConnectionName = "\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3";
constexpr std::string_view kEthernetName = "\xD2\xD4\xCC\xAB\xCD\xF8";

constexpr int kFields = 4;
constexpr int kMaxDigits = 3;
constexpr int kMaxField = 255;

Command setAddressCommand(std::string_view name, const std::string& address, const std::string& gateway)
{
    std::string line;
    line.append(kSetAddressHead).append(name).append(kSetAddressStatic);
    line.append(address).append(kSetAddressMask).append(gateway);
    return {SetAddressIntent{std::string(name), address, gateway}, line};
}

}  // namespace

std::optional<std::string> checkedDottedQuad(std::wstring_view text)
{
    std::string out;
    int fields = 1, digits = 0, value = 0;
    for (wchar_t c : text) {
        if (c == L'.') {
            if (digits == 0 || ++fields > kFields) return std::nullopt;
            digits = value = 0;
        } else if (c >= L'0' && c <= L'9') {
            value = value * 10 + (c - L'0');
            if (++digits > kMaxDigits || value > kMaxField) return std::nullopt;
        } else {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(c));
    }
    if (fields != kFields || digits == 0) return std::nullopt;
    return out;
}

Command firewallOffCommand()
{
    return {FirewallOffIntent{}, std::string(kFirewallLine)};
}

std::optional<std::array<Command, 2>> setLocalAddressCommands(std::wstring_view address,
                                                              std::wstring_view gateway)
{
    const auto a = checkedDottedQuad(address);
    const auto g = checkedDottedQuad(gateway);
    if (!a || !g) return std::nullopt;
    return std::array<Command, 2>{setAddressCommand(kLocalConnectionName, *a, *g),
                                  setAddressCommand(kEthernetName, *a, *g)};
}

std::optional<Command> pingCommand(std::wstring_view address)
{
    const auto a = checkedDottedQuad(address);
    if (!a) return std::nullopt;
    std::string line;
    line.append(kPingHead).append(*a).append(kPingTail);
    return Command{PingIntent{*a}, line};
}

void runFirewallProcedure(CommandInterpreter& interpreter)
{
    interpreter.run(firewallOffCommand());
}

bool runLocalAddressProcedure(CommandInterpreter& interpreter, std::wstring_view address,
                              std::wstring_view gateway)
{
    const auto commands = setLocalAddressCommands(address, gateway);
    if (!commands) return false;
    for (const Command& c : *commands) interpreter.run(c);
    return true;
}

bool runPingProcedure(CommandInterpreter& interpreter, std::wstring_view address)
{
    const auto command = pingCommand(address);
    if (!command) return false;
    interpreter.run(*command);
    return true;
}

}  // namespace nolt
