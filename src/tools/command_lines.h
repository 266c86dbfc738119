// The command lines of the Tools dialog, built from the texts of its
// IP-address controls. A line is built only from a dotted quad (four fields
// of one to three digits, each at most 255); any other text is refused, so
// nothing but such an address ever reaches the command interpreter.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/command.h"
#include "platform/command_interpreter.h"

namespace nolt {

// "netsh firewall set opmode mode=disable  &&  pause ".
Command firewallOffCommand();

// The two static-address commands, for the connection names "本地连接" and
// then "以太网" (GBK bytes), each with mask 255.255.255.0. Empty when either
// text is not a dotted quad.
std::optional<std::array<Command, 2>> setLocalAddressCommands(std::wstring_view address,
                                                              std::wstring_view gateway);

// "ping <address> -t". Empty when the text is not a dotted quad.
std::optional<Command> pingCommand(std::wstring_view address);

// The address as narrow text when it is a dotted quad, else empty.
std::optional<std::string> checkedDottedQuad(std::wstring_view text);

// The three procedures of the dialog's buttons. Each runs its commands in
// order and waits for each; both address commands run whatever the first
// one's outcome. They return false, having run nothing, when an address was
// refused.
void runFirewallProcedure(CommandInterpreter& interpreter);
bool runLocalAddressProcedure(CommandInterpreter& interpreter, std::wstring_view address,
                              std::wstring_view gateway);
bool runPingProcedure(CommandInterpreter& interpreter, std::wstring_view address);

}  // namespace nolt
