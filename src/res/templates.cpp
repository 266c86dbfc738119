#include "res/templates.h"

#include "res/list_items.h"
#include "res/resource.h"

namespace nolt::res {
namespace {

using K = fw::ControlKind;
using namespace fw;  // style bits

// Main dialog, template order (which is the tab order). Positions in dialog units.
constexpr ControlTemplate kMainControls[] = {
    {1006, K::IpAddress, L"", 41, 15, 90, 14, kNone},  // 1
    {1008, K::PushButton, L"Connect", 221, 13, 37, 17, kNone},  // 2
    {1004, K::LogEdit, L"", 216, 44, 84, 229, kNone},  // 3
    {1007, K::DigitsEdit, L"", 172, 15, 39, 14, kDisabled},  // 4
    {1019, K::PushButton, L"Current State of Camera", 19, 66, 50, 36, kMultiLine},  // 5
    {1022, K::DropDownList, L"", 129, 153, 71, 30, kNone, kMainResolutionItems},  // 6
    {1021, K::DropDownList, L"", 129, 171, 71, 30, kNone, kBitRateListItems},  // 7
    {1023, K::DropDownList, L"", 129, 188, 71, 30, kNone, kMainPushModeItems},  // 8
    {1032, K::DropDownList, L"", 129, 206, 71, 30, kNone, kEncoderItems},  // 9
    {1033, K::DropDownList, L"", 129, 225, 72, 30, kNone, kFrameRateItems},  // 10
    {1034, K::DropDownList, L"", 129, 243, 72, 30, kNone, kPacketItems},  // 11
    {1012, K::PushButton, L"Main stream settings", 11, 181, 50, 21, kMultiLine | kDisabled},  // 12
    {1024, K::IpAddress, L"", 54, 287, 90, 14, kNone},  // 13
    {1017, K::DigitsEdit, L"", 171, 288, 30, 14, kDisabled},  // 14
    {1011, K::IpAddress, L"", 54, 301, 90, 14, kNone},  // 15
    {1029, K::IpAddress, L"", 54, 315, 90, 14, kNone},  // 16
    {1010, K::PushButton, L"Save IP to Camera", 150, 315, 50, 24, kMultiLine},  // 17
    {fw::IDC_STATIC, K::GroupBox, L"", 8, 5, 205, 29, kNone},  // 18
    {1005, K::PushButton, L"Disconnect", 263, 14, 37, 16, kDisabled},  // 19
    {fw::IDC_STATIC, K::StaticLeft, L"IP：", 12, 17, 28, 15, kNone},  // 20
    {fw::IDC_STATIC, K::StaticLeft, L"Port：", 149, 17, 23, 15, kNone},  // 21
    {1009, K::PushButton, L"Close", 222, 367, 68, 30, kNone},  // 22
    {1013, K::ReadOnlyEdit, L"", 145, 69, 58, 14, kNone},  // 23
    {fw::IDC_STATIC, K::StaticLeft, L"Output Freq", 76, 67, 64, 17, kNone},  // 24
    {fw::IDC_STATIC, K::StaticCenter, L"Camera IP", 8, 304, 38, 9, kNone},  // 25
    {fw::IDC_STATIC, K::GroupBox, L"Self-test Column", 9, 40, 203, 85, kNone},  // 26
    {1014, K::ReadOnlyEdit, L"", 145, 50, 58, 14, kNone},  // 27
    {fw::IDC_STATIC, K::StaticLeft, L"Input Freq", 86, 51, 44, 10, kNone},  // 28
    {fw::IDC_STATIC, K::StaticLeft, L"Src Img Size", 80, 86, 52, 16, kNone},  // 29
    {1016, K::ReadOnlyEdit, L"", 145, 107, 57, 14, kNone},  // 30
    {fw::IDC_STATIC, K::StaticLeft, L"Dest Img Size", 75, 105, 64, 17, kNone},  // 31
    {fw::IDC_STATIC, K::StaticLeft, L"Bit rate", 78, 172, 36, 8, kNone},  // 32
    {fw::IDC_STATIC, K::StaticLeft, L"Resolution", 74, 154, 43, 10, kNone},  // 33
    {fw::IDC_STATIC, K::StaticCenter, L"Net Push Mode", 64, 189, 59, 8, kNone},  // 34
    {fw::IDC_STATIC, K::GroupBox, L"User Setting Column", 7, 131, 201, 147, kNone},  // 35
    {1020, K::PushButton, L"Shut down Firewall", 13, 366, 54, 20, kMultiLine},  // 36
    {fw::IDC_STATIC, K::StaticLeft, L"Udp Rec IP", 10, 290, 40, 8, kNone},  // 37
    {fw::IDC_STATIC, K::StaticLeft, L"Port:", 151, 290, 17, 8, kNone},  // 38
    {fw::IDC_STATIC, K::GroupBox, L"IP Setting Column", 9, 278, 202, 81, kNone},  // 39
    {1025, K::PushButton, L"Search Versions", 70, 366, 52, 20, kMultiLine},  // 40
    {1027, K::ReadOnlyEdit, L"", 126, 368, 83, 17, kNone},  // 41
    {fw::IDC_STATIC, K::StaticCenter, L"Gateway", 7, 317, 40, 9, kNone},  // 42
    {fw::IDC_STATIC, K::StaticCenter, L"Encoder format", 64, 207, 57, 8, kNone},  // 43
    {fw::IDC_STATIC, K::StaticLeft, L"Frame rate", 74, 226, 47, 8, kNone},  // 44
    {1018, K::ReadOnlyEdit, L"", 145, 88, 57, 14, kNone},  // 45
    {fw::IDC_STATIC, K::GroupBox, L"", 7, 360, 202, 38, kNone},  // 46
    {fw::IDC_STATIC, K::StaticCenter, L"Packet format", 63, 243, 60, 9, kNone},  // 47
    {1039, K::PushButton, L"Reminder", 11, 144, 48, 23, kNone},  // 48
    {1035, K::DropDownList, L"", 129, 260, 72, 30, kNone, kRecordItems},  // 49
    {fw::IDC_STATIC, K::StaticCenter, L"Record format", 65, 261, 59, 8, kNone},  // 50
    {1030, K::IpAddress, L"", 54, 343, 90, 14, kNone},  // 51
    {fw::IDC_STATIC, K::StaticLeft, L"DNS", 18, 345, 23, 8, kNone},  // 52
    {1031, K::PushButton, L"Sub stream settings", 11, 241, 50, 21, kMultiLine | kHidden | kDisabled},  // 53
    {1036, K::DropDownList, L"", 217, 153, 67, 99, kHidden, kSubResolutionItems},  // 54
    {1037, K::DropDownList, L"", 217, 170, 68, 95, kHidden, kBitRateListItems},  // 55
    {1038, K::DropDownList, L"", 217, 188, 67, 30, kHidden, kSubPushModeItems},  // 56
    {1040, K::DropDownList, L"", 217, 205, 67, 30, kHidden, kEncoderItems},  // 57
    {1041, K::DropDownList, L"", 217, 224, 68, 30, kHidden, kFrameRateItems},  // 58
    {1042, K::DropDownList, L"", 217, 242, 68, 30, kHidden, kPacketItems},  // 59
    {fw::IDC_STATIC, K::GroupBox, L"Main stream", 125, 134, 83, 140, kNone},  // 60
    {fw::IDC_STATIC, K::GroupBox, L"Sub stream", 210, 134, 80, 140, kHidden},  // 61
    {1048, K::RadioButton, L"10M", 257, 313, 25, 8, kGroup},  // 62
    {1049, K::RadioButton, L"100M", 257, 325, 29, 8, kNone},  // 63
    {1050, K::RadioButton, L"ON", 257, 339, 33, 10, kGroup},  // 64
    {1051, K::RadioButton, L"OFF", 257, 353, 36, 10, kNone},  // 65
    {fw::IDC_STATIC, K::StaticLeft, L"DHCP:", 218, 345, 26, 8, kNone},  // 66
    {fw::IDC_STATIC, K::StaticCenter, L"Network bandwidth:", 214, 314, 37, 17, kNone},  // 67
    {1053, K::RadioButton, L"ON", 11, 226, 21, 10, kGroup | kHidden},  // 68
    {1054, K::RadioButton, L"OFF", 36, 226, 28, 10, kHidden},  // 69
    {fw::IDC_STATIC, K::StaticCenter, L"Sub stream switch", 17, 205, 40, 18, kHidden},  // 70
    {1043, K::IpAddress, L"", 54, 329, 90, 14, kNone},  // 71
    {fw::IDC_STATIC, K::StaticLeft, L"Submask", 13, 332, 33, 8, kNone},  // 72
    {1026, K::PushButton, L"upload addr", 221, 283, 67, 22, kNone},  // 73
};

constexpr ControlTemplate kAboutControls[] = {
    {IDC_STATIC, K::StaticLeft, L"nolt PC client, V1.0", 42, 14, 114, 8, kNoPrefix},
    {IDC_STATIC, K::StaticLeft, L"Copyright (C) 2026 nolt", 42, 26, 114, 8},
    {IDOK, K::DefPushButton, L"确定", 113, 41, 50, 14, kGroup},
};

// The Tools dialog: its template order gives the tab order 1041, 1040, 1010,
// 1042, 1012, 1011. No button is the default button.
constexpr ControlTemplate kToolsControls[] = {
    {IDC_STATIC, K::GroupBox, L"", 15, 47, 158, 78},
    {IDC_STATIC, K::StaticCenter, L"Computer IP:", 19, 54, 34, 16},
    {IDC_TOOLS_PC_IP, K::IpAddress, L"", 58, 56, 100, 15},
    {IDC_STATIC, K::StaticCenter, L"Default gateway:", 19, 72, 36, 18},
    {IDC_TOOLS_GATEWAY, K::IpAddress, L"", 58, 73, 100, 15},
    {IDC_TOOLS_SET_LOCAL_IP, K::PushButton, L"Set local IP", 26, 92, 136, 28},
    {IDC_STATIC, K::GroupBox, L"", 16, 123, 157, 56},
    {IDC_STATIC, K::StaticCenter, L"Movement IP:", 17, 132, 44, 11},
    {IDC_TOOLS_MODULE_IP, K::IpAddress, L"", 63, 130, 100, 15},
    {IDC_TOOLS_PING, K::PushButton, L"Check the movement connection", 26, 148, 136, 28},
    {IDC_TOOLS_FIREWALL, K::PushButton, L"Turn off computer firewall", 26, 15, 138, 28},
};

constexpr ControlTemplate kPushAddressControls[] = {
    {IDC_PUSH_ADDRESS, K::Edit, L"", 14, 16, 217, 14, kBorder | kAutoHScroll},
    {IDC_PUSH_SEND_OUT, K::PushButton, L"Send out", 94, 40, 56, 17},
};

// What a screen reader hears for the controls that their captions do not
// name: the static text beside each one, or a name of its own. Radio
// buttons are heard with their group's label ("DHCP ON").
constexpr ControlName kMainNames[] = {
    labelledBy(IDC_LINK_IP, L"IP："),
    labelledBy(IDC_LINK_PORT, L"Port："),
    namedAs(IDC_LOG, L"Message log"),
    labelledBy(IDC_INPUT_FREQ, L"Input Freq"),
    labelledBy(IDC_OUTPUT_FREQ, L"Output Freq"),
    labelledBy(IDC_SRC_IMG_SIZE, L"Src Img Size"),
    labelledBy(IDC_DEST_IMG_SIZE, L"Dest Img Size"),
    labelledBy(IDC_MAIN_RESOLUTION, L"Resolution"),
    labelledBy(IDC_MAIN_BITRATE, L"Bit rate"),
    labelledBy(IDC_MAIN_PUSH_MODE, L"Net Push Mode"),
    labelledBy(IDC_MAIN_ENCODER, L"Encoder format"),
    labelledBy(IDC_MAIN_FRAME_RATE, L"Frame rate"),
    labelledBy(IDC_MAIN_PACKET, L"Packet format"),
    labelledBy(IDC_MAIN_RECORD, L"Record format"),
    labelledBy(IDC_SUB_ON, L"Sub stream switch"),
    labelledBy(IDC_SUB_OFF, L"Sub stream switch"),
    // The sub stream's lists share their rows' labels with the main
    // stream's, so they are named in full.
    namedAs(IDC_SUB_RESOLUTION, L"Sub stream Resolution"),
    namedAs(IDC_SUB_BITRATE, L"Sub stream Bit rate"),
    namedAs(IDC_SUB_PUSH_MODE, L"Sub stream Net Push Mode"),
    namedAs(IDC_SUB_ENCODER, L"Sub stream Encoder format"),
    namedAs(IDC_SUB_FRAME_RATE, L"Sub stream Frame rate"),
    namedAs(IDC_SUB_PACKET, L"Sub stream Packet format"),
    labelledBy(IDC_UDP_DST_IP, L"Udp Rec IP"),
    labelledBy(IDC_UDP_PORT, L"Port:"),
    labelledBy(IDC_CAMERA_IP, L"Camera IP"),
    labelledBy(IDC_GATEWAY, L"Gateway"),
    labelledBy(IDC_SUBMASK, L"Submask"),
    labelledBy(IDC_DNS, L"DNS"),
    namedAs(IDC_VERSION, L"Version"),
    labelledBy(IDC_BANDWIDTH_10M, L"Network bandwidth:"),
    labelledBy(IDC_BANDWIDTH_100M, L"Network bandwidth:"),
    labelledBy(IDC_DHCP_ON, L"DHCP:"),
    labelledBy(IDC_DHCP_OFF, L"DHCP:"),
};

constexpr ControlName kToolsNames[] = {
    labelledBy(IDC_TOOLS_PC_IP, L"Computer IP:"),
    labelledBy(IDC_TOOLS_GATEWAY, L"Default gateway:"),
    labelledBy(IDC_TOOLS_MODULE_IP, L"Movement IP:"),
};

constexpr ControlName kPushAddressNames[] = {
    namedAs(IDC_PUSH_ADDRESS, L"Push address"),
};

// The "Find modules" dialog: the range and port, Find and Stop, the
// progress, and the modules found. Each label comes before its control.
constexpr ControlTemplate kFindModulesControls[] = {
    {IDC_STATIC, K::StaticLeft, L"Range:", 7, 9, 28, 8},
    {IDC_FIND_RANGE, K::Edit, L"", 36, 7, 118, 14, kBorder | kAutoHScroll},
    {IDC_STATIC, K::StaticLeft, L"Port:", 161, 9, 18, 8},
    {IDC_FIND_PORT, K::DigitsEdit, L"", 180, 7, 43, 14},
    {IDC_FIND_START, K::DefPushButton, L"Find", 7, 26, 50, 14},
    {IDC_FIND_STOP, K::PushButton, L"Stop", 61, 26, 50, 14, kDisabled},
    {IDC_FIND_PROGRESS, K::Progress, L"", 7, 46, 216, 9},
    {IDC_FIND_STATUS, K::StaticLeft, L"", 7, 59, 216, 8, kNoPrefix},
    {IDC_STATIC, K::StaticLeft, L"Modules found:", 7, 73, 100, 8},
    {IDC_FIND_LIST, K::ListBox, L"", 7, 83, 216, 90},
    {IDC_FIND_USE, K::PushButton, L"Use", 119, 179, 50, 14, kDisabled},
    {IDCANCEL, K::PushButton, L"Close", 173, 179, 50, 14},
};

constexpr ControlName kFindModulesNames[] = {
    labelledBy(IDC_FIND_RANGE, L"Range:"),
    labelledBy(IDC_FIND_PORT, L"Port:"),
    namedAs(IDC_FIND_PROGRESS, L"Search progress"),
    labelledBy(IDC_FIND_LIST, L"Modules found:"),
};

const DialogTemplate kMain{IDD_NOLT_PCCLIENT_DIALOG, L"nolt PC client V1.0", 307, 407, L"MS Shell Dlg", 9,
                           kSysMenu | kMinimizeBox | kAppWindow | kThickFrame, kMainControls, kMainNames};
const DialogTemplate kAbout{IDD_ABOUTBOX, L"关于", 170, 62, L"MS Shell Dlg", 9, kSysMenu | kModalFrame,
                            kAboutControls};
const DialogTemplate kTools{IDD_TOOLS, L"Tools", 191, 191, L"MS Shell Dlg", 8, kSysMenu | kModalFrame,
                            kToolsControls, kToolsNames};
const DialogTemplate kPushAddress{IDD_PUSH_ADDRESS, L"Dialog", 245, 69, L"MS Shell Dlg", 8,
                                  kSysMenu | kModalFrame, kPushAddressControls, kPushAddressNames};
const DialogTemplate kFindModules{IDD_FIND_MODULES, L"Find modules", 230, 200, L"MS Shell Dlg", 8,
                                  kSysMenu | kModalFrame, kFindModulesControls, kFindModulesNames};

}  // namespace

const DialogTemplate& mainTemplate() { return kMain; }
const DialogTemplate& aboutTemplate() { return kAbout; }
const DialogTemplate& toolsTemplate() { return kTools; }
const DialogTemplate& pushAddressTemplate() { return kPushAddress; }
const DialogTemplate& findModulesTemplate() { return kFindModules; }

std::span<const DialogTemplate* const> allTemplates()
{
    static constexpr const DialogTemplate* kAll[] = {&kMain, &kAbout, &kTools, &kPushAddress, &kFindModules};
    return kAll;
}

const DialogTemplate* findTemplate(int id)
{
    for (const DialogTemplate* t : allTemplates())
        if (t->id == id) return t;
    return nullptr;
}

}  // namespace nolt::res
