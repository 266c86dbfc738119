// The command interpreter that really runs the Tools commands. On Windows it
// hands the narrow command line to the runtime's system(). On Linux it
// carries out the command's intent with the machine's own tools (see
// linux_command_map.h), one program at a time, waiting for each.
#pragma once

#include "platform/command_interpreter.h"

namespace nolt {

class SystemCommandInterpreter final : public CommandInterpreter {
public:
    int run(const Command& command) override;
};

}  // namespace nolt
