// The rules that keep the stream lists of the main dialog consistent, as data
// and pure functions: which bit-rate items a resolution allows, when a
// combination draws a warning, which push modes unlock or open something.
// The handlers apply them to the controls.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "res/list_items.h"

namespace nolt {

// The bit-rate list has a short form ("1M" to "4M") for the smallest
// resolution and a long form ("1M" to "8M") otherwise.
enum class BitRateForm { Short, Long };

inline constexpr std::span<const std::wstring_view> kBitRateItems{res::kBitRateListItems};
inline constexpr std::size_t kShortBitRateCount = 5;

// The items of the bit-rate list in the given form, in order.
std::span<const std::wstring_view> bitRateItems(BitRateForm form);

// The form the main bit-rate list takes after the main resolution list
// changed to this index: 0 ("720P") short, 1 and 2 long; anything else leaves
// the list and the send button alone (empty result).
std::optional<BitRateForm> mainBitRateFormFor(int resolutionIndex);

// The same for the sub stream: only 0 ("1280*720", short) and 1
// ("1920*1080", long) rebuild the list; 2..5 and no selection leave it alone.
std::optional<BitRateForm> subBitRateFormFor(int resolutionIndex);

// The combination a decoder may not play: "30 frame", "RTSP" and "By Frame"
// (index 1 in each of the three lists).
bool mainStreamNeedsWarning(int frameRateIndex, int pushModeIndex, int packetIndex);

// The warning that combination draws; it only warns, the settings still go.
inline constexpr std::wstring_view kUnplayableWarning =
    L"Select the following configuration. The decoder may not play normally. Please choose carefully: "
    L"RTSP  Nnetwork output frame rate: 30 frames  ncode packet format: by frame  nselect by slice format "
    L"if the player cannot play.";

// "UDP Bare flow" (index 0) makes the UDP receiver address and port usable
// and puts them into the IP settings.
bool isUdpBareFlow(int pushModeIndex);

// "RTMP" (index 3) opens the push-address dialog.
bool isRtmpPush(int pushModeIndex);

// True when every list has a selection that gives a non-zero payload byte:
// the rule that enables a settings button.
bool allListsSelected(std::span<const int> selectionIndexes);

}  // namespace nolt
