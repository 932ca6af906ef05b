// tkinstall install [--prefix DIR] | tkinstall uninstall [--from DIR]
#include <iostream>
#include <string>
#include <vector>

#include "installer.h"
#include "platform/paths.h"

namespace {

int Usage() {
    std::cerr << "gebruik: tkinstall install [--prefix MAP]\n"
                 "         tkinstall uninstall [--from MAP]\n";
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage();
    std::string folder;
    if (args.size() == 3) {
        folder = args[2];
    } else if (args.size() != 1) {
        return Usage();
    }
    if (args[0] == "install" && (args.size() == 1 || args[1] == "--prefix")) {
        installer::InstallOptions options;
        options.source = platform::ProgramDir();
        options.prefix = folder;
        return installer::Install(options);
    }
    if (args[0] == "uninstall" && (args.size() == 1 || args[1] == "--from"))
        return installer::Uninstall(folder);
    return Usage();
}
