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

// A range of addresses, first and last, in host order.
struct Span {
    std::uint32_t first, last;
};

inline std::uint32_t hostOrder(const Address& a)
{
    return (std::uint32_t{a[0]} << 24) | (std::uint32_t{a[1]} << 16) | (std::uint32_t{a[2]} << 8) | a[3];
}

inline std::string_view withoutBlanks(std::string_view t)
{
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

inline std::optional<std::uint32_t> addressOf(std::string_view t)
{
    const auto a = addressIn(withoutBlanks(t));
    return a ? std::optional<std::uint32_t>(hostOrder(*a)) : std::nullopt;
}

// What a range's text says, read the plain way: "A/N" is the block of A's
// first N bits, "A-B" runs from A to B, "A-n" from A to n within A's /24,
// "A" is A.
inline std::optional<Span> whatTheTextSays(std::string_view text)
{
    text = withoutBlanks(text);
    if (const std::size_t slash = text.find('/'); slash != std::string_view::npos) {
        const auto base = addressOf(text.substr(0, slash));
        const auto bits = numberIn(text.substr(slash + 1));
        if (!base || !bits || *bits > 32) return std::nullopt;
        const std::uint32_t mask = *bits == 0 ? 0 : ~std::uint32_t{0} << (32 - *bits);
        return Span{*base & mask, *base | ~mask};
    }
    if (const std::size_t dash = text.find('-'); dash != std::string_view::npos) {
        const auto first = addressOf(text.substr(0, dash));
        if (!first) return std::nullopt;
        std::optional<std::uint32_t> last = addressOf(text.substr(dash + 1));
        if (!last) {
            const auto n = numberIn(text.substr(dash + 1));
            if (!n || *n > 255) return std::nullopt;
            last = (*first & 0xFFFFFF00u) | static_cast<std::uint32_t>(*n);
        }
        return Span{*first, *last};
    }
    const auto one = addressOf(text);
    return one ? std::optional<Span>(Span{*one, *one}) : std::nullopt;
}

}  // namespace nolt::fuzz
