// The item texts of the stream drop-down lists, index 0 first, as plain data.
// The dialog templates fill the lists from here, and the command-line client
// reads the same names, so a choice means the same position in both.
#pragma once

#include <string_view>

namespace nolt::res {

// Main stream (lists 1022, 1021, 1023, 1032, 1033, 1034, 1035).
inline constexpr std::wstring_view kMainResolutionItems[] = {L"720P", L"1080P", L"2160P"};
inline constexpr std::wstring_view kBitRateListItems[] = {L"1M", L"1.5M", L"2M", L"3M", L"4M",
                                                          L"5M", L"6M",   L"7M", L"8M"};
inline constexpr std::wstring_view kMainPushModeItems[] = {L"UDP Bare flow", L"RTSP", L"SPI 422", L"RTMP",
                                                           L"onvif"};
inline constexpr std::wstring_view kEncoderItems[] = {L"H264", L"H265"};
inline constexpr std::wstring_view kFrameRateItems[] = {L"25 frame", L"30 frame"};
inline constexpr std::wstring_view kPacketItems[] = {L"By Slice", L"By Frame"};
inline constexpr std::wstring_view kRecordItems[] = {L"MP4", L"H264", L"H265"};

// Sub stream (lists 1036, 1037, 1038, 1040, 1041, 1042); the encoder, frame
// rate and packet lists hold the same items as the main stream's.
inline constexpr std::wstring_view kSubResolutionItems[] = {L"1280*720", L"1920*1080", L"1024*768",
                                                            L"720*576",  L"640*480",   L"320*240"};
inline constexpr std::wstring_view kSubPushModeItems[] = {L"RTSP to network", L"RTMP  to network"};

}  // namespace nolt::res
