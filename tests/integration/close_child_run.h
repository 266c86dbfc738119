// Runs the scripted tool (integration_close_child) and reads its output
// until it exits, telling the caller of each piece as it arrives.
#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>

extern char** environ;

namespace nolt::test {

struct CloseChildRun {
    bool exitedNormally = false;
    int exitCode = -1;
    std::string output;
};

inline CloseChildRun runCloseChild(const std::string& mode, std::uint16_t port,
                                   const std::function<void(const std::string& outputSoFar)>& onOutput = {})
{
    CloseChildRun run;
    int out[2];
    if (::pipe(out) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string exe = NOLT_CLOSE_CHILD, modeText = mode, portText = std::to_string(port);
    char* argv[] = {exe.data(), modeText.data(), portText.data(), nullptr};
    pid_t child = -1;
    const bool spawned = posix_spawn(&child, exe.c_str(), &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char chunk[256];
    for (ssize_t n; spawned && (n = ::read(out[0], chunk, sizeof chunk)) > 0;) {
        run.output.append(chunk, static_cast<std::size_t>(n));
        if (onOutput) onOutput(run.output);
    }
    ::close(out[0]);
    int status = 0;
    if (!spawned || ::waitpid(child, &status, 0) != child) return run;
    run.exitedNormally = WIFEXITED(status);
    run.exitCode = run.exitedNormally ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace nolt::test
