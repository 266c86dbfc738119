#include "cli/help_format.h"

namespace nolt::cli {

namespace {

// A command's name and the words it takes without an option's name.
std::string nameAndWords(const CLI::App* command)
{
    std::string text = command->get_name();
    for (const CLI::Option* word : command->get_options([](const CLI::Option* o) { return o->get_positional(); }))
        text += " " + word->get_name(true, false);
    return text;
}

}  // namespace

HelpFormat::HelpFormat()
{
    label("OPTIONS", "global options");
    label("SUBCOMMAND", "COMMAND [ARGS]");
    label("Positionals", "Arguments");
    column_width(24);
}

std::string HelpFormat::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const
{
    const std::string footer = make_footer(app);
    return make_usage(app, name) + make_description(app) + make_positionals(app) + make_groups(app, mode) +
           make_subcommands(app, mode) + (footer.empty() ? "" : "\n" + footer);
}

std::string HelpFormat::make_usage(const CLI::App* app, std::string name) const
{
    if (!app->get_parent()) return Formatter::make_usage(app, name);
    std::string usage = "Usage: " + app->get_parent()->get_name() + " [" + get_label("OPTIONS") + "] " + nameAndWords(app);
    const CLI::Option* help = app->get_help_ptr();
    for (const CLI::Option* o : app->get_options([help](const CLI::Option* o) { return o->nonpositional() && o != help; })) {
        const std::string word = o->get_name() + make_option_opts(o);
        usage += o->get_required() ? " " + word : " [" + word + "]";
    }
    return usage + "\n";
}

std::string HelpFormat::make_subcommand(const CLI::App* command) const
{
    std::stringstream out;
    CLI::detail::format_help(out, nameAndWords(command), command->get_description(), column_width_);
    return out.str();
}

std::string HelpFormat::make_option_opts(const CLI::Option* option) const
{
    if (option->get_positional() || option->get_type_name().empty()) return {};
    return " " + option->get_type_name();
}

}  // namespace nolt::cli
