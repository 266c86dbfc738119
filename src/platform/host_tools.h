// Finds the programs and the wired network connection that the Linux
// carrying-out of the Tools commands needs. The parsers are pure; only
// detectHostTools() looks at the machine (PATH, /sys/class/net and a
// read-only "nmcli connection show").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux_command_map.h"

namespace nolt {

// The first executable called name in the ':'-separated directory list, or
// empty.
std::string findProgram(std::string_view name, std::string_view searchPath);

// From "nmcli -t -f UUID,TYPE,DEVICE connection show": the UUID of the wired
// (802-3-ethernet) connection, preferring one bound to a device. Empty if none.
std::string pickWiredConnection(std::string_view nmcliTerse);

struct NetDevice {
    std::string name;
    bool physical = false;  // backed by hardware (has a device link)
    bool wireless = false;
};

// The first wired hardware device by name, or empty.
std::string pickWiredDevice(std::vector<NetDevice> devices);

HostTools detectHostTools();

}  // namespace nolt
