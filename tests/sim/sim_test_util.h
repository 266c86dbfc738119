#pragma once

#include "sim/hex.h"
#include "sim/module.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace nolt::sim::test {

inline Bytes hex(std::string_view text)
{
    auto bytes = fromHex(text);
    EXPECT_TRUE(bytes.has_value()) << "bad hex in test: " << text;
    return bytes.value_or(Bytes{});
}

inline Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Every byte the actions write, joined.
inline Bytes written(const std::vector<Action>& actions)
{
    Bytes out;
    for (const Action& a : actions)
        if (a.kind == Action::Kind::Write) out.insert(out.end(), a.bytes.begin(), a.bytes.end());
    return out;
}

inline int countOf(const std::vector<Action>& actions, Action::Kind kind)
{
    int n = 0;
    for (const Action& a : actions) n += a.kind == kind ? 1 : 0;
    return n;
}

inline std::string hexOf(const Bytes& b) { return toHex(b); }

}  // namespace nolt::sim::test
