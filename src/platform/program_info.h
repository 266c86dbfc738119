// What every program answers before it starts: --version and --help.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace nolt {

// The project's version, as CMake knows it, e.g. "1.0.0".
std::string_view projectVersion();

// "PROGRAM VERSION", the line --version prints.
std::string versionLine(std::string_view program);

// The systems whose programs tell different things (where files live).
enum class HostSystem { Posix, Windows };

// The system this build runs on.
HostSystem hostSystem();

// nolt-pcclient's --help text on the given system: what it does, and where
// it keeps its settings there.
std::string pcclientHelpText(HostSystem system);

// Answers --version and --help (or -h) given anywhere on the command line:
// prints the version line or helpText to out and returns the exit status 0.
// With any other arguments, or none, returns nothing and the program starts
// as usual. Needs no display, so it runs before any window is made.
std::optional<int> handleInfoOptions(int argc, char** argv, std::string_view program, std::string_view helpText,
                                     std::ostream& out);
// The same to the program's standard output. On Windows a program without
// one (a GUI-subsystem program started from a console) prints to the
// console of the program that started it, when there is one.
std::optional<int> handleInfoOptions(int argc, char** argv, std::string_view program, std::string_view helpText);

}  // namespace nolt
