#include "platform/command_interpreter.h"

namespace nolt {

int RecordingCommandInterpreter::run(const Command& command)
{
    const std::size_t index = commands_.size();
    commands_.push_back(command);
    const auto failure = failures_.find(index);
    return failure == failures_.end() ? 0 : failure->second;
}

void RecordingCommandInterpreter::failCall(std::size_t callIndex, int status)
{
    failures_[callIndex] = status;
}

}  // namespace nolt
