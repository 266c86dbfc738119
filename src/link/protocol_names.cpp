#include "link/protocol_names.h"

#include "link/frame.h"

#include <array>

namespace nolt {

namespace {

constexpr CodeName kNames[] = {
    {code::kStatus, "Status query", "Status report"},
    {code::kMainStream, "Main stream settings", "Main stream settings result"},
    {code::kIpSettings, "IP settings", "IP settings result"},
    {code::kVersion, "Version query", "Version report"},
    {code::kInfoStorage, "", "Information storage result"},
    {code::kSubStream, "Sub stream settings", "Sub stream settings result"},
    {code::kBandwidth, "Network bandwidth", "Network bandwidth result"},
    {code::kDhcp, "DHCP switch", "DHCP switch result"},
};

// Looked up for every frame received, so one index rather than a search.
constexpr auto kByCode = [] {
    std::array<const CodeName*, 256> byCode{};
    for (const CodeName& n : kNames) byCode[n.code] = &n;
    return byCode;
}();

const CodeName* find(std::uint8_t c)
{
    return kByCode[c];
}

}  // namespace

std::span<const CodeName> codeNames() { return kNames; }

std::string_view commandName(std::uint8_t c)
{
    const CodeName* n = find(c);
    return n ? n->command : std::string_view{};
}

std::string_view replyName(std::uint8_t c)
{
    const CodeName* n = find(c);
    return n ? n->reply : std::string_view{};
}

}  // namespace nolt
