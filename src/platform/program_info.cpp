#include "platform/program_info.h"

#include <iostream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

#ifndef NOLT_VERSION
#error "NOLT_VERSION is set by the build from the project's version"
#endif

namespace nolt {
namespace {

constexpr std::string_view kPcclientAbout =
    "Usage: nolt-pcclient [--help] [--version]\n"
    "Configures a networked camera module over one TCP connection: status and\n"
    "version queries, main and sub stream encoding, the module's IP settings,\n"
    "bandwidth, DHCP and its rtmp:// push address.\n"
    "\n";

constexpr std::string_view kPosixSettings =
    "The link address and the module's address fields are kept in\n"
    "$XDG_CONFIG_HOME/nolt-pcclient/Config.ini, or in the file named by\n"
    "NOLT_PCCLIENT_CONFIG.\n";

constexpr std::string_view kWindowsSettings =
    "The link address and the module's address fields are kept in\n"
    "C:\\Config.ini where this user may write or create that file, otherwise\n"
    "in %LOCALAPPDATA%\\nolt-pcclient\\Config.ini. A first start without that\n"
    "file takes the values an older copy left in\n"
    "%LOCALAPPDATA%\\VirtualStore\\Config.ini, else those of a C:\\Config.ini\n"
    "this user may only read. NOLT_PCCLIENT_CONFIG names another file.\n";

#ifdef _WIN32

bool usable(HANDLE h)
{
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

// A console takes wide text; a file or pipe takes the bytes as they are.
void writeTo(HANDLE h, const std::string& text)
{
    DWORD mode = 0;
    DWORD written = 0;
    if (!GetConsoleMode(h, &mode)) {
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    WriteConsoleW(h, wide.data(), static_cast<DWORD>(n > 0 ? n : 0), &written, nullptr);
}

// A GUI-subsystem program gets a standard output only when its starter
// redirected one; otherwise it borrows the console of the program that
// started it (cmd.exe, PowerShell), if that has one. Lines end in CR LF, as
// the other programs' text-mode output does.
void print(const std::string& lines)
{
    std::string text;
    for (char c : lines) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    if (HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE); usable(out)) {
        writeTo(out, text);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return;
    writeTo(console, text);
    CloseHandle(console);
}

#else

void print(const std::string& text)
{
    std::cout << text << std::flush;
}

#endif

}  // namespace

std::string_view projectVersion() { return NOLT_VERSION; }

std::string versionLine(std::string_view program)
{
    return std::string(program) + " " + std::string(projectVersion());
}

HostSystem hostSystem()
{
#ifdef _WIN32
    return HostSystem::Windows;
#else
    return HostSystem::Posix;
#endif
}

std::string pcclientHelpText(HostSystem system)
{
    return std::string(kPcclientAbout) + std::string(system == HostSystem::Windows ? kWindowsSettings : kPosixSettings);
}

std::optional<int> handleInfoOptions(int argc, char** argv, std::string_view program, std::string_view helpText,
                                     std::ostream& out)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            out << versionLine(program) << "\n";
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            out << helpText;
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<int> handleInfoOptions(int argc, char** argv, std::string_view program, std::string_view helpText)
{
    std::ostringstream text;
    const std::optional<int> status = handleInfoOptions(argc, argv, program, helpText, text);
    if (status) print(text.str());
    return status;
}

}  // namespace nolt
