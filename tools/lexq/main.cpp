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
    if (options.Help) {
        std::cout << lexq::HelpText();
        return lexq::kExitFound;
    }
    return lexq::RunLookup(options, std::cout, std::cerr);
}
