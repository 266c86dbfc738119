// nolt-cli: the camera module's commands from a shell or a script, for one
// module or many at once.
#include "cli/cli.h"

#include <iostream>

int main(int argc, char** argv)
{
    return nolt::cli::runCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
