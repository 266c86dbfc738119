#include "platform/program_info.h"

#include <iostream>

#ifndef NOLT_VERSION
#error "NOLT_VERSION is set by the build from the project's version"
#endif

namespace nolt {

std::string_view projectVersion() { return NOLT_VERSION; }

std::string versionLine(std::string_view program)
{
    return std::string(program) + " " + std::string(projectVersion());
}

std::optional<int> handleInfoOptions(int argc, char** argv, std::string_view program, std::string_view helpText,
                                     std::ostream& out)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            out << versionLine(program) << "\n";
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            out << helpText;
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<int> handleInfoOptions(int argc, char** argv, std::string_view program, std::string_view helpText)
{
    return handleInfoOptions(argc, argv, program, helpText, std::cout);
}

}  // namespace nolt
