// What the program's paths and command line are made of on every system.
#include "paths.h"

namespace platform {

namespace {
std::vector<std::string> &Arguments() {
    static std::vector<std::string> arguments;
    return arguments;
}
}  // namespace

std::string ProgramDir() {
    const std::string path = ProgramPath();
    const std::size_t slash = path.rfind(kPathDelim);
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string(1, kPathDelim) : path.substr(0, slash);
}

void SetCommandLine(int argc, const char *const *argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    SetCommandLine(std::move(arguments));
}

void SetCommandLine(std::vector<std::string> arguments) {
    Arguments() = std::move(arguments);
}

const std::vector<std::string> &CommandLineArguments() {
    return Arguments();
}

std::string IncludeTrailingDelimiter(const std::string &folder) {
    if (!folder.empty() && folder.back() == kPathDelim)
        return folder;
    return folder + kPathDelim;
}

}  // namespace platform
