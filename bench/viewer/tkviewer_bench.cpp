// tkviewer_bench: measures the viewer's speed on a product folder. Modes:
//   tkviewer_bench --product DIR startup [--runs N] [--book NAME]
//   tkviewer_bench --product DIR ui --words BOOK=FILE... [--searches N] [--switches N]
//                  [--seed N]
// The Qt platform is whatever QT_QPA_PLATFORM selects (bench/viewer/run.sh runs both).
#include <cstdlib>
#include <iostream>
#include <string>

#include "StartupRuns.h"
#include "UiRuns.h"
#include "platform/paths.h"

namespace {

constexpr const char *kUsage =
    "usage: tkviewer_bench --product DIR startup [--runs N] [--book NAME]\n"
    "       tkviewer_bench --product DIR ui --words BOOK=FILE... [--searches N] [--switches N] "
    "[--seed N]\n";

int Usage() {
    std::cerr << kUsage;
    return 2;
}

bool ReadCount(const char *text, int &value) {
    char *end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 1 || parsed > 100000)
        return false;
    value = int(parsed);
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    std::string mode;
    tkbench::TUiOptions options;
    int runs = 20;
    std::string book;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--product" && hasValue) {
            options.productDir = argv[++i];
        } else if (arg == "--runs" && hasValue) {
            if (!ReadCount(argv[++i], runs))
                return Usage();
        } else if (arg == "--book" && hasValue) {
            book = argv[++i];
        } else if (arg == "--searches" && hasValue) {
            if (!ReadCount(argv[++i], options.searches))
                return Usage();
        } else if (arg == "--switches" && hasValue) {
            if (!ReadCount(argv[++i], options.switches))
                return Usage();
        } else if (arg == "--seed" && hasValue) {
            int seed = 0;
            if (!ReadCount(argv[++i], seed))
                return Usage();
            options.seed = unsigned(seed);
        } else if (arg == "--words" && hasValue) {
            const std::string spec = argv[++i];
            const auto equals = spec.find('=');
            if (equals == std::string::npos || equals == 0)
                return Usage();
            options.words[spec.substr(0, equals)] = tkbench::ReadWordList(spec.substr(equals + 1));
        } else if (mode.empty() && arg.rfind("--", 0) != 0) {
            mode = arg;
        } else {
            return Usage();
        }
    }
    if (options.productDir.empty() || !platform::DirectoryExists(options.productDir + "/data"))
        return Usage();
    if (mode == "startup-child")
        return tkbench::RunStartupChild(argc, argv, options.productDir, book);
    if (mode == "startup")
        return tkbench::RunStartupSeries(platform::ProgramPath(), options.productDir, book, runs);
    if (mode == "ui")
        return tkbench::RunUiSeries(argc, argv, options);
    return Usage();
}
