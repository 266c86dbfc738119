// The requests of nolt-cli's commands, made from what the command line gave
// (see command_line.cpp for the words) with the dialog's own frame builders
// and input checks.
#pragma once

#include "cli/request.h"
#include "commands/command_frames.h"
#include "commands/ip_checks.h"

#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace nolt::cli {

// Bad input: the whole text to print on stderr (the dialog's own text where
// the dialog makes the same check). Nothing is sent.
struct InputError {
    std::string message;
};

using CommandParse = std::variant<Request, InputError>;

using Items = std::span<const std::wstring_view>;

// The item of a dialog's list that text names, or -1: case, blanks, '-' and
// '_' do not matter, "*" is "x", and an item may go by its first word when
// the rest only repeats what the list is ("25" for "25 frame").
int findItem(Items items, const std::string& text);

// The items as the help and the messages list them: 1M, "By Slice", ...
std::string itemList(Items items);

// Four numbers of 0 to 255 and nothing else: what the dialog's address
// controls can hold.
bool addressShaped(const std::string& text);

Request statusRequest();
Request versionRequest();
Request getPushAddressRequest();
// The address goes as typed, in the narrow code page, unchecked: the module
// takes whatever arrives.
Request setPushAddressRequest(const std::string& url);

CommandParse mainStreamRequest(const MainStreamSelection& selection);
CommandParse subStreamRequest(const StreamSelection& selection);
CommandParse subStreamSwitchRequest(const std::string& word);
CommandParse bandwidthRequest(const std::string& word);
CommandParse dhcpRequest(const std::string& word);
// With the UDP receiver exactly when texts.pushModeIndex is that of "UDP
// Bare flow" (0), as the dialog sends it.
CommandParse setIpRequest(const SaveIpTexts& texts);

}  // namespace nolt::cli
