// Text conversions for the command line: arguments arrive narrow, the core's
// messages are wide, and everything printed is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace nolt::cli {

std::string utf8(std::wstring_view text);
std::wstring wide(std::string_view utf8Text);

// "1.5 s", "250 ms": a time in seconds for messages.
std::string secondsText(double seconds);

// "nolt-cli COMMAND: why" and a line that points to the command's help (the
// program's for an empty command), without a final line end.
std::string usageMessage(std::string_view command, std::string_view why);

}  // namespace nolt::cli
