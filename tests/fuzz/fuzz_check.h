// What every fuzz target shares: stopping with a readable account when a
// property fails (libFuzzer then saves the input and prints its report).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace nolt::fuzz {

// Bytes as C-escaped text, for the account of a failed property.
inline std::string shown(std::string_view bytes)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

[[noreturn]] inline void propertyFailed(std::string_view property, const std::string& detail)
{
    std::fprintf(stderr, "\n== property failed: %.*s\n%s\n", static_cast<int>(property.size()), property.data(),
                 detail.c_str());
    std::abort();
}

}  // namespace nolt::fuzz
