#include "platform/host_tools.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <unistd.h>

#include "platform/process_runner.h"
#endif

namespace nolt {

namespace {

constexpr std::string_view kEthernetType = "802-3-ethernet";
// System programs such as ufw live in sbin, which a user's PATH may lack.
constexpr std::string_view kSystemDirs = "/usr/local/sbin:/usr/sbin:/sbin";

std::vector<std::string_view> split(std::string_view text, char sep)
{
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t at = text.find(sep);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

#ifndef _WIN32
bool isExecutable(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

std::string envOr(const char* name, std::string_view fallback)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string(fallback);
}

bool hasDisplay() { return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"); }

// Terminals that stay in the foreground until the command they show has
// ended, each with the options that make it so and hand it the command's
// argument vector unchanged. Others, x-terminal-emulator among them, may
// pass the command to a terminal server and return at once, and the Tools
// dialog would then stop waiting while the command still runs.
struct WaitingTerminal {
    std::string_view name;
    std::vector<std::string> options;
};

std::vector<std::string> findWaitingTerminal(const std::string& path)
{
    const WaitingTerminal known[] = {
        {"xterm", {"-e"}},
        {"konsole", {"--nofork", "-e"}},
        {"gnome-terminal", {"--wait", "--"}},
    };
    for (const WaitingTerminal& t : known) {
        std::vector<std::string> command{findProgram(t.name, path)};
        if (command.front().empty()) continue;
        command.insert(command.end(), t.options.begin(), t.options.end());
        return command;
    }
    return {};
}

std::vector<NetDevice> listNetDevices()
{
    std::vector<NetDevice> out;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net", ec)) {
        NetDevice d;
        d.name = entry.path().filename().string();
        d.physical = std::filesystem::exists(entry.path() / "device", ec);
        d.wireless = std::filesystem::exists(entry.path() / "wireless", ec);
        out.push_back(d);
    }
    return out;
}
#endif

}  // namespace

std::string findProgram(std::string_view name, std::string_view searchPath)
{
#ifndef _WIN32
    for (std::string_view dir : split(searchPath, ':')) {
        // A relative entry ("", ".", "bin") names a folder under wherever the
        // tool was started, where anyone may have left a program of that name.
        if (!dir.starts_with('/')) continue;
        std::string candidate = std::string(dir) + "/" + std::string(name);
        if (isExecutable(candidate)) return candidate;
    }
#else
    (void)name;
    (void)searchPath;
#endif
    return {};
}

std::string pickWiredConnection(std::string_view nmcliTerse)
{
    std::string fallback;
    for (std::string_view line : split(nmcliTerse, '\n')) {
        const auto fields = split(line, ':');
        if (fields.size() < 2 || fields[1] != kEthernetType || fields[0].empty()) continue;
        const bool bound = fields.size() >= 3 && !fields[2].empty();
        if (bound) return std::string(fields[0]);
        if (fallback.empty()) fallback = fields[0];
    }
    return fallback;
}

std::string pickWiredDevice(std::vector<NetDevice> devices)
{
    std::sort(devices.begin(), devices.end(),
              [](const NetDevice& a, const NetDevice& b) { return a.name < b.name; });
    for (const NetDevice& d : devices) {
        if (d.physical && !d.wireless) return d.name;
    }
    return {};
}

HostTools detectHostTools()
{
    HostTools t;
#ifndef _WIN32
    const std::string path = envOr("PATH", "/usr/bin:/bin") + ":" + std::string(kSystemDirs);
    if (hasDisplay()) t.terminal = findWaitingTerminal(path);
    t.shell = findProgram("sh", "/bin:/usr/bin");
    t.ufw = findProgram("ufw", path);
    t.systemctl = findProgram("systemctl", path);
    t.firewalld = !findProgram("firewalld", path).empty() || !findProgram("firewall-cmd", path).empty();
    t.nmcli = findProgram("nmcli", path);
    if (!t.nmcli.empty()) {
        if (auto out = captureProcessOutput({t.nmcli, "-t", "-f", "UUID,TYPE,DEVICE", "connection", "show"}))
            t.wiredConnection = pickWiredConnection(*out);
    }
    t.ip = findProgram("ip", path);
    t.wiredDevice = pickWiredDevice(listNetDevices());
    t.ping = findProgram("ping", path);
#endif
    return t;
}

}  // namespace nolt
