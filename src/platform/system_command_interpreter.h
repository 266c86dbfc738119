// The command interpreter that really runs the Tools commands. On Windows it
// hands the narrow command line to the runtime's system(). On Linux it
// carries out the command's intent with the machine's own tools (see
// linux_command_map.h), one program at a time, waiting for each.
#pragma once

#include <functional>

#include "platform/command_interpreter.h"
#include "platform/linux_command_map.h"

namespace nolt {

class SystemCommandInterpreter final : public CommandInterpreter {
public:
    using ToolFinder = std::function<HostTools()>;

    // The finder is asked at every run, since the user may install a tool
    // between two presses of a button. Tests pass one that names harmless
    // programs.
    explicit SystemCommandInterpreter(ToolFinder findTools = {});

    int run(const Command& command) override;

private:
    ToolFinder findTools_;
};

}  // namespace nolt
