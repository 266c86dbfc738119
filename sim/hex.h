// Hex text for the simulator's log and for the tests' byte vectors.
#pragma once

#include "link/frame.h"
#include "link/trace.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nolt::sim {

// "AA 01 01 01 01": the same form as the tool's traffic trace.
using nolt::toHex;

// Reads pairs of hex digits, blanks allowed anywhere between pairs.
// Returns nullopt for anything else.
std::optional<Bytes> fromHex(std::string_view text);

}  // namespace nolt::sim
