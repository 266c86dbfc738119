// What a screen reader is to hear for every visible control of the tool's
// dialogs, in template order: one table for both backends' tests, and the
// main dialog's for the AT-SPI walk too (tests/accessibility/atspi_walk.py
// reads kMainDialogHeard from this file, so keep one row a line).
#pragma once

#include <span>

namespace nolt::test {

struct Heard {
    int id;
    const wchar_t* name;
};

inline constexpr Heard kMainDialogHeard[] = {
    {1006, L"IP"},
    {1008, L"Connect"},
    {1004, L"Message log"},
    {1007, L"Port"},
    {1019, L"Current State of Camera"},
    {1022, L"Resolution"},
    {1021, L"Bit rate"},
    {1023, L"Net Push Mode"},
    {1032, L"Encoder format"},
    {1033, L"Frame rate"},
    {1034, L"Packet format"},
    {1012, L"Main stream settings"},
    {1024, L"Udp Rec IP"},
    {1017, L"Port"},
    {1011, L"Camera IP"},
    {1029, L"Gateway"},
    {1010, L"Save IP to Camera"},
    {1005, L"Disconnect"},
    {1009, L"Close"},
    {1013, L"Output Freq"},
    {1014, L"Input Freq"},
    {1016, L"Dest Img Size"},
    {1020, L"Shut down Firewall"},
    {1025, L"Search Versions"},
    {1027, L"Version"},
    {1018, L"Src Img Size"},
    {1039, L"Reminder"},
    {1035, L"Record format"},
    {1030, L"DNS"},
    {1048, L"Network bandwidth 10M"},
    {1049, L"Network bandwidth 100M"},
    {1050, L"DHCP ON"},
    {1051, L"DHCP OFF"},
    {1043, L"Submask"},
    {1026, L"upload addr"},
};

inline constexpr Heard kToolsDialogHeard[] = {
    {1041, L"Computer IP"},
    {1040, L"Default gateway"},
    {1010, L"Set local IP"},
    {1042, L"Movement IP"},
    {1012, L"Check the movement connection"},
    {1011, L"Turn off computer firewall"},
};

inline constexpr Heard kPushAddressDialogHeard[] = {
    {1000, L"Push address"},
    {1047, L"Send out"},
};

// The status line (1106) is read as its text, empty until a search runs.
inline constexpr Heard kFindModulesDialogHeard[] = {
    {1101, L"Range"},
    {1102, L"Port"},
    {1103, L"Find"},
    {1104, L"Stop"},
    {1105, L"Search progress"},
    {1106, L""},
    {1107, L"Modules found"},
    {1108, L"Use"},
    {2, L"Close"},
};

inline constexpr Heard kAboutBoxHeard[] = {
    {1, L"确定"},
};

}  // namespace nolt::test
