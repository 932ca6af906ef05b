// In-process measurements of the running main window: Enter to the rendered page, the
// keystroke to the type-ahead list, the dictionary switch, and the selection query of the
// copy command's idle rule.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tkbench {

struct TUiOptions {
    std::string productDir;
    // Words to look up, per dictionary name (UTF-8, one per line in their files).
    std::map<std::string, std::vector<std::string>> words;
    int searches = 200;
    int switches = 40;
    unsigned seed = 1;
};

// Reads a word list: one word per line, blank lines and surrounding blanks dropped.
std::vector<std::string> ReadWordList(const std::string &path);

// Starts the viewer in this process and runs the measurements; prints each figure beside
// its goal. Non-zero when the viewer did not start or a step did not paint.
int RunUiSeries(int argc, char **argv, const TUiOptions &options);

}  // namespace tkbench
