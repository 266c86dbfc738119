// The names of the command codes, for people reading traffic: the
// simulator's trace and the Wireshark dissector (whose tables are generated
// from this one) use them, so a code is called the same everywhere.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace nolt {

struct CodeName {
    std::uint8_t code;
    std::string_view command;  // empty: the tool never sends this code
    std::string_view reply;
};

// Every code of the protocol, in ascending order.
std::span<const CodeName> codeNames();

// "Status query" and the like; empty for a code the tool does not send.
std::string_view commandName(std::uint8_t code);
// "Status report" and the like; empty for a code the tool does not know.
std::string_view replyName(std::uint8_t code);

}  // namespace nolt
