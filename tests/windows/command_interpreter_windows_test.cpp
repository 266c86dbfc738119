// The Tools commands go to the command interpreter through system(); a
// harmless command shows that the exit status comes back.
#include <gtest/gtest.h>

#include "platform/system_command_interpreter.h"

namespace nolt {
namespace {

TEST(CommandInterpreterWindows, ReturnsTheCommandsExitStatus) {
  SystemCommandInterpreter interpreter;
  EXPECT_EQ(interpreter.run(Command{FirewallOffIntent{}, "cmd /c exit 0"}), 0);
  EXPECT_EQ(interpreter.run(Command{FirewallOffIntent{}, "cmd /c exit 3"}), 3);
  EXPECT_NE(interpreter.run(Command{FirewallOffIntent{}, "nolt-no-such-program-here"}), 0);
}

}  // namespace
}  // namespace nolt
