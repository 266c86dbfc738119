// nolt-cli's --help as CLI11 makes it from the grammar, laid out as Unix
// tools lay theirs out: the usage line first, naming each command's own
// words (the options it must have bare, the others in brackets); the option
// lists with the value's placeholder only, the defaults and the choices
// being in the descriptions.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace nolt::cli {

class HelpFormat : public CLI::Formatter {
public:
    HelpFormat();

    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_subcommand(const CLI::App* command) const override;
    std::string make_option_opts(const CLI::Option* option) const override;
};

}  // namespace nolt::cli
