// Byte vectors written out in hex in the tests: "AA 01 01 01 01".
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace nolt::test {

inline std::vector<std::uint8_t> hex(std::string_view text)
{
    std::vector<std::uint8_t> out;
    std::istringstream in{std::string(text)};
    std::string token;
    while (in >> token) out.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    return out;
}

}  // namespace nolt::test
