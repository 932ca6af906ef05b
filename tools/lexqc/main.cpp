// lexqc: compiles dictionary sources into dictionary files and checks them.
#include <iostream>

#include "cli.h"
#include "platform/paths.h"

int main(int argc, char **argv) {
    platform::SetCommandLine(argc, argv);
    return lexqc::RunLexqc(platform::CommandLineArguments(), std::cout, std::cerr);
}
