// What a person reads in an address or a port text, written as simply as
// possible and apart from the tool's own parsing, for the fuzz targets to
// compare the tool's reading with.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nolt::fuzz {

using Address = std::array<std::uint8_t, 4>;

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Four decimal numbers of 0 to 255 with a dot between each two, and nothing
// else: "192.168.001.010" is 192.168.1.10. Anything else is no address.
inline std::optional<Address> addressIn(std::string_view text)
{
    Address out{};
    std::size_t field = 0;
    std::size_t digits = 0;
    unsigned value = 0;
    for (char c : text) {
        if (isDigit(c)) {
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 255) return std::nullopt;
            ++digits;
        } else if (c == '.' && digits > 0 && field < 3) {
            out[field++] = static_cast<std::uint8_t>(value);
            value = 0;
            digits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (field != 3 || digits == 0) return std::nullopt;
    out[3] = static_cast<std::uint8_t>(value);
    return out;
}

// A whole number of decimal digits, blanks around it allowed: " 2000" is
// 2000. Nothing for anything else, or for more than nine digits' worth.
inline std::optional<long long> numberIn(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 999999999) value = 999999999;  // far beyond any port: "too large"
    }
    return value;
}

inline std::string dotted(const Address& a)
{
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." + std::to_string(a[3]);
}

// The address in network byte order, as the socket layer takes it.
inline std::uint32_t networkOrder(const Address& a)
{
    std::uint32_t value = 0;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&value);
    for (std::size_t i = 0; i < 4; ++i) bytes[i] = a[i];
    return value;
}

}  // namespace nolt::fuzz
