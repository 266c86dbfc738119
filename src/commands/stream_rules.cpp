#include "commands/stream_rules.h"

#include <algorithm>

#include "commands/command_frames.h"

namespace nolt {

namespace {
constexpr int kWarnFrameRate = 1;  // "30 frame"
constexpr int kWarnPushMode = 1;   // "RTSP"
constexpr int kWarnPacket = 1;     // "By Frame"
constexpr int kUdpBareFlow = 0;
constexpr int kRtmp = 3;
}  // namespace

std::span<const std::wstring_view> bitRateItems(BitRateForm form)
{
    const std::span<const std::wstring_view> all(kBitRateItems);
    return form == BitRateForm::Short ? all.first(kShortBitRateCount) : all;
}

std::optional<BitRateForm> mainBitRateFormFor(int resolutionIndex)
{
    switch (resolutionIndex) {
    case 0: return BitRateForm::Short;
    case 1:
    case 2: return BitRateForm::Long;
    default: return std::nullopt;
    }
}

std::optional<BitRateForm> subBitRateFormFor(int resolutionIndex)
{
    switch (resolutionIndex) {
    case 0: return BitRateForm::Short;
    case 1: return BitRateForm::Long;
    default: return std::nullopt;
    }
}

bool mainStreamNeedsWarning(int frameRateIndex, int pushModeIndex, int packetIndex)
{
    return frameRateIndex == kWarnFrameRate && pushModeIndex == kWarnPushMode && packetIndex == kWarnPacket;
}

bool isUdpBareFlow(int pushModeIndex) { return pushModeIndex == kUdpBareFlow; }

bool isRtmpPush(int pushModeIndex) { return pushModeIndex == kRtmp; }

bool allListsSelected(std::span<const int> selectionIndexes)
{
    return std::all_of(selectionIndexes.begin(), selectionIndexes.end(),
                       [](int index) { return SelectionCode(index) != 0; });
}

}  // namespace nolt
