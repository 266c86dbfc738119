// The not-connected message the command handlers share.
#pragma once

#include <string_view>

namespace nolt {

// The not-connected text exists with an ASCII and a fullwidth exclamation
// mark; each handler keeps the one its users know.
inline constexpr std::wstring_view kNotConnectedAscii = L"Operation failed, please connect first!";
inline constexpr std::wstring_view kNotConnectedFullwidth = L"Operation failed, please connect first！";

}  // namespace nolt
