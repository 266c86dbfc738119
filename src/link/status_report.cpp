#include "link/status_report.h"

#include "res/resource.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace nolt {

namespace {

constexpr std::size_t kPayload = 3;  // payload offset in the frame

std::int16_t signed16(const FrameBuffer& f, std::size_t at)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((f[at] << 8) | f[at + 1]));
}

std::wstring sizeText(const FrameBuffer& f, std::size_t at)
{
    const int width = signed16(f, at);
    const int height = signed16(f, at + 2);
    if (width == 0 || height == 0) return L"0";
    return decimalText(width) + L"x" + decimalText(height);
}

}  // namespace

std::wstring decimalText(std::int32_t value)
{
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::wstring(digits, end);
}

std::vector<Effect> statusDisplay(const FrameBuffer& f)
{
    return {
        Effect::field(res::IDC_OUTPUT_FREQ, decimalText(static_cast<std::int8_t>(f[kPayload]))),
        Effect::field(res::IDC_INPUT_FREQ, decimalText(static_cast<std::int8_t>(f[kPayload + 1]))),
        Effect::field(res::IDC_SRC_IMG_SIZE, sizeText(f, kPayload + 2)),
        Effect::field(res::IDC_DEST_IMG_SIZE, sizeText(f, kPayload + 6)),
    };
}

}  // namespace nolt
