#include "sim/hex.h"

namespace nolt::sim {

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Bytes> fromHex(std::string_view text)
{
    Bytes out;
    int high = -1;
    for (char c : text) {
        if (c == ' ') {
            if (high >= 0) return std::nullopt;
            continue;
        }
        const int v = digitValue(c);
        if (v < 0) return std::nullopt;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return out;
}

}  // namespace nolt::sim
