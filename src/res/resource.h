// Numeric identifiers of the dialog templates, controls, strings and icons.
// The numbers are fixed: the templates, the settings file and the tests all
// address controls by them. Each has a name that says what the control is.
#pragma once

namespace nolt::res {

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_NOLT_PCCLIENT_DIALOG = 102;
inline constexpr int IDD_TOOLS = 138;
inline constexpr int IDD_PUSH_ADDRESS = 144;
inline constexpr int IDD_FIND_MODULES = 150;

// Icons and strings.
inline constexpr int IDR_MAINFRAME_FILE = 128;  // the program file's icon
inline constexpr int IDI_MAIN = 140;            // the window icon
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDP_SOCKETS_INIT_FAILED = 103;
inline constexpr int IDS_FIND_MODULES = 104;
inline constexpr int IDS_RECORD_FRAMES = 105;

// System-menu commands of the About, the "Find modules…" and the "Record
// frames…" items.
inline constexpr int IDM_ABOUTBOX = 0x0010;
inline constexpr int IDM_FIND_MODULES = 0x0020;
inline constexpr int IDM_RECORD_FRAMES = 0x0030;

// Standard button id (the About box's OK button).
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Main dialog (template 102).
inline constexpr int IDC_LOG = 1004;                 // message log, multi-line read-only
inline constexpr int IDC_DISCONNECT = 1005;
inline constexpr int IDC_LINK_IP = 1006;             // module address used to connect
inline constexpr int IDC_LINK_PORT = 1007;           // module port used to connect
inline constexpr int IDC_CONNECT = 1008;
inline constexpr int IDC_CLOSE = 1009;
inline constexpr int IDC_SAVE_IP = 1010;             // "Save IP to Camera"
inline constexpr int IDC_CAMERA_IP = 1011;           // module address to be set
inline constexpr int IDC_MAIN_STREAM_SEND = 1012;    // "Main stream settings"
inline constexpr int IDC_OUTPUT_FREQ = 1013;
inline constexpr int IDC_INPUT_FREQ = 1014;
inline constexpr int IDC_DEST_IMG_SIZE = 1016;
inline constexpr int IDC_UDP_PORT = 1017;
inline constexpr int IDC_SRC_IMG_SIZE = 1018;
inline constexpr int IDC_STATUS_QUERY = 1019;        // "Current State of Camera"
inline constexpr int IDC_TOOLS = 1020;               // "Shut down Firewall" (opens Tools)
inline constexpr int IDC_MAIN_BITRATE = 1021;
inline constexpr int IDC_MAIN_RESOLUTION = 1022;
inline constexpr int IDC_MAIN_PUSH_MODE = 1023;
inline constexpr int IDC_UDP_DST_IP = 1024;
inline constexpr int IDC_VERSION_QUERY = 1025;       // "Search Versions"
inline constexpr int IDC_UPLOAD_ADDR = 1026;         // "upload addr"
inline constexpr int IDC_VERSION = 1027;             // version display
inline constexpr int IDC_GATEWAY = 1029;
inline constexpr int IDC_DNS = 1030;
inline constexpr int IDC_SUB_STREAM_SEND = 1031;     // "Sub stream settings"
inline constexpr int IDC_MAIN_ENCODER = 1032;
inline constexpr int IDC_MAIN_FRAME_RATE = 1033;
inline constexpr int IDC_MAIN_PACKET = 1034;
inline constexpr int IDC_MAIN_RECORD = 1035;
inline constexpr int IDC_SUB_RESOLUTION = 1036;
inline constexpr int IDC_SUB_BITRATE = 1037;
inline constexpr int IDC_SUB_PUSH_MODE = 1038;
inline constexpr int IDC_REMINDER = 1039;
inline constexpr int IDC_SUB_ENCODER = 1040;
inline constexpr int IDC_SUB_FRAME_RATE = 1041;
inline constexpr int IDC_SUB_PACKET = 1042;
inline constexpr int IDC_SUBMASK = 1043;
inline constexpr int IDC_BANDWIDTH_10M = 1048;
inline constexpr int IDC_BANDWIDTH_100M = 1049;
inline constexpr int IDC_DHCP_ON = 1050;
inline constexpr int IDC_DHCP_OFF = 1051;
inline constexpr int IDC_SUB_ON = 1053;
inline constexpr int IDC_SUB_OFF = 1054;

// Tools dialog (template 138).
inline constexpr int IDC_TOOLS_SET_LOCAL_IP = 1010;  // "Set local IP"
inline constexpr int IDC_TOOLS_FIREWALL = 1011;      // "Turn off computer firewall"
inline constexpr int IDC_TOOLS_PING = 1012;          // "Check the movement connection"
inline constexpr int IDC_TOOLS_GATEWAY = 1040;       // "Default gateway:"
inline constexpr int IDC_TOOLS_PC_IP = 1041;         // "Computer IP:"
inline constexpr int IDC_TOOLS_MODULE_IP = 1042;     // "Movement IP:"

// Push-address dialog (template 144).
inline constexpr int IDC_PUSH_ADDRESS = 1000;
inline constexpr int IDC_PUSH_SEND_OUT = 1047;       // "Send out"

// "Find modules" dialog (template 150).
inline constexpr int IDC_FIND_RANGE = 1101;          // the addresses to search
inline constexpr int IDC_FIND_PORT = 1102;
inline constexpr int IDC_FIND_START = 1103;          // "Find"
inline constexpr int IDC_FIND_STOP = 1104;           // "Stop"
inline constexpr int IDC_FIND_PROGRESS = 1105;       // addresses done
inline constexpr int IDC_FIND_STATUS = 1106;         // what the search has come to
inline constexpr int IDC_FIND_LIST = 1107;           // the modules found
inline constexpr int IDC_FIND_USE = 1108;            // "Use"

}  // namespace nolt::res
