// The push-address exchange as text: the request and the test an answer
// must pass. The address travels
// unframed on the camera connection, in the narrow code page.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace nolt {

inline constexpr std::string_view kPushAddressRequest = "get_addrrtmp";
// An answer is taken only when it starts with exactly these bytes (lower case).
inline constexpr std::string_view kPushAddressPrefix = "rtmp://";
// What the push-address dialog shows when no answer is waiting for it.
inline constexpr std::wstring_view kPushAddressBarePrefix = L"rtmp://";

// The answer's text when it is an address: the bytes up to the first zero
// byte (all of them when there is none), converted to wide text. Empty when
// the answer does not start with the lower-case prefix.
inline std::optional<std::wstring> acceptPushAddressAnswer(std::span<const std::uint8_t> answer)
{
    const auto end = std::find(answer.begin(), answer.end(), std::uint8_t{0});
    const std::string narrow(answer.begin(), end);
    if (!narrow.starts_with(kPushAddressPrefix)) return std::nullopt;
    return fromNarrow(narrow);
}

}  // namespace nolt
