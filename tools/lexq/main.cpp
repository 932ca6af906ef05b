// lexq: looks words up in the viewer's dictionaries from the command line.
#include <QCoreApplication>
#include <iostream>

#include "lookup.h"
#include "options.h"

int main(int argc, char **argv) {
    // No GUI: the core routes its dialogs to standard error and loads no pixmaps.
    QCoreApplication application(argc, argv);
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    lexq::TOptions options;
    std::string error;
    if (!lexq::ParseOptions(arguments, options, error)) {
        std::cerr << "lexq: " << error << "\n"
                  << "Meer informatie: lexq --help\n";
        return lexq::kExitError;
    }
    int status = lexq::kExitFound;
    if (options.Help)
        std::cout << lexq::HelpText();
    else
        status = lexq::RunLookup(options, std::cout, std::cerr);
    // Output that never arrived (a full disk, a closed pipe) is no success.
    if (!std::cout.flush()) {
        std::cerr << "lexq: de uitvoer kan niet worden geschreven\n";
        return lexq::kExitError;
    }
    return status;
}
