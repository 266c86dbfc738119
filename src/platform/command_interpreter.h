// Runs the Tools dialog's commands and waits for each to end. The dialog
// talks to this interface only, so tests can record what would have run.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "platform/command.h"

namespace nolt {

class CommandInterpreter {
public:
    virtual ~CommandInterpreter() = default;
    // Runs one command to its end; returns its exit status (non-zero: failed).
    virtual int run(const Command& command) = 0;
};

// Records every command instead of running it. A call can be told to fail.
class RecordingCommandInterpreter final : public CommandInterpreter {
public:
    int run(const Command& command) override;

    // The call with this index (0 = first) returns the given status.
    void failCall(std::size_t callIndex, int status = 1);

    const std::vector<Command>& commands() const { return commands_; }

private:
    std::vector<Command> commands_;
    std::map<std::size_t, int> failures_;
};

}  // namespace nolt
