// The link's own messages, shared by the dialog's link and the command-line
// client, which reports the same events in the same words.
#pragma once

namespace nolt {

inline constexpr const wchar_t* kLinkBadInput = L"Please enter the correct IP address or port";
inline constexpr const wchar_t* kLinkConnectFailedLog = L"Connection failed, please try again.";
inline constexpr const wchar_t* kLinkDisconnected = L"Disconnected.";
inline constexpr const wchar_t* kLinkSendFailed = L"Operation failed, please check the connection";

}  // namespace nolt
