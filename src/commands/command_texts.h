// Texts the command handlers share: the caption of their boxes, the
// not-connected message and the send-failure log line.
#pragma once

#include <string_view>

namespace nolt {

inline constexpr std::wstring_view kTipsCaption = L"Tips";

// The not-connected text exists with an ASCII and a fullwidth exclamation
// mark; each handler keeps the one its users know.
inline constexpr std::wstring_view kNotConnectedAscii = L"Operation failed, please connect first!";
inline constexpr std::wstring_view kNotConnectedFullwidth = L"Operation failed, please connect first！";

inline constexpr std::wstring_view kSendFailedLine = L"Operation failed, please check the connection";

}  // namespace nolt
