// The command table of nolt-cli: each command's words and options turned into
// a Request with the dialog's own frame builders and input checks.
#pragma once

#include "cli/request.h"

#include <span>
#include <string>
#include <variant>

namespace nolt::cli {

// Bad input: the text to print on stderr (the dialog's own text where the
// dialog makes the same check). Nothing is sent.
struct InputError {
    std::string message;
};

// The command's --help text.
struct HelpText {
    std::string text;
};

using CommandParse = std::variant<Request, InputError, HelpText>;

// words: the command's name followed by its arguments.
CommandParse parseCommand(std::span<const std::string> words);

// The synopsis of every command, for the top-level --help.
std::string commandSummary();

}  // namespace nolt::cli
