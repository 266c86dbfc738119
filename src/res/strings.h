// The string table and the tool's title.
#pragma once

#include <string>
#include <string_view>

namespace nolt::res {

inline constexpr std::wstring_view kAppTitle = L"nolt PC client";
inline constexpr std::wstring_view kAppVersion = L"1.0";

// Caption of the main dialog: the title and the version.
inline constexpr std::wstring_view kMainCaption = L"nolt PC client V1.0";

// String 101: the About item of the system menu.
inline constexpr std::wstring_view kAboutMenuItem = L"关于 nolt PC client V1.0";
// String 104: the item of the system menu that opens the "Find modules" dialog.
inline constexpr std::wstring_view kFindModulesMenuItem = L"Find modules…";
// String 105: the checked item of the system menu that records the frames to a file.
inline constexpr std::wstring_view kRecordFramesMenuItem = L"Record frames…";
// String 103: shown when the socket library cannot be started.
inline constexpr std::wstring_view kSocketsInitFailed = L"Windows 套接字初始化失败。";

// Looks a string up by its number; empty for an unknown number.
std::wstring_view loadString(int id);

}  // namespace nolt::res
