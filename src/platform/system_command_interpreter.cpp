#include "platform/system_command_interpreter.h"

#include <cstdlib>
#include <utility>

#ifndef _WIN32
#include <cstdio>

#include "platform/host_tools.h"
#include "platform/process_runner.h"
#endif

namespace nolt {

#ifdef _WIN32

SystemCommandInterpreter::SystemCommandInterpreter(ToolFinder findTools) : findTools_(std::move(findTools)) {}

int SystemCommandInterpreter::run(const Command& command)
{
    return std::system(command.line.c_str());
}

#else

SystemCommandInterpreter::SystemCommandInterpreter(ToolFinder findTools)
    : findTools_(findTools ? std::move(findTools) : ToolFinder(detectHostTools))
{
}

int SystemCommandInterpreter::run(const Command& command)
{
    const LinuxPlan plan = mapToLinux(command.intent, findTools_());
    if (!plan.consoleMessage.empty()) std::fprintf(stderr, "%s\n", plan.consoleMessage.c_str());
    if (!plan.steps.empty() && !plan.consoleNote.empty()) std::fprintf(stderr, "%s\n", plan.consoleNote.c_str());
    int status = 0;
    for (const LinuxStep& step : plan.steps) {
        status = runProcess(step.argv);
        if (status != 0) break;
    }
    // A plan that only explains why nothing could be done has failed.
    return plan.consoleMessage.empty() ? status : 1;
}

#endif

}  // namespace nolt
