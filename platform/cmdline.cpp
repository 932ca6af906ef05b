// Command-line splitting by the Windows rules, shared by every backend.
#include "shell.h"

namespace platform {

std::vector<std::string> SplitCommandLine(std::string_view parameters) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    std::size_t backslashes = 0;
    int quotes = 0;  // non-zero while inside quotes
    std::size_t i = 0;
    const auto blank = [&](std::size_t k) {
        return k < parameters.size() && (parameters[k] == ' ' || parameters[k] == '\t');
    };
    while (blank(i))
        ++i;
    while (i < parameters.size()) {
        const char c = parameters[i];
        if ((c == ' ' || c == '\t') && quotes == 0) {
            arguments.push_back(current);
            current.clear();
            inArgument = false;
            backslashes = 0;
            while (blank(i))
                ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            current += c;
            ++backslashes;
            ++i;
            continue;
        }
        if (c != '"') {
            current += c;
            backslashes = 0;
            ++i;
            continue;
        }
        if (backslashes % 2 == 0) {
            // 2n backslashes and a quote: n backslashes, and the quote opens or closes.
            current.resize(current.size() - backslashes / 2);
            ++quotes;
        } else {
            // 2n+1 backslashes and a quote: n backslashes and a literal quote.
            current.resize(current.size() - backslashes / 2 - 1);
            current += '"';
        }
        ++i;
        backslashes = 0;
        // A run of quotes: every third one is literal.
        while (i < parameters.size() && parameters[i] == '"') {
            if (++quotes == 3) {
                current += '"';
                quotes = 0;
            }
            ++i;
        }
        if (quotes == 2)
            quotes = 0;
    }
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}

}  // namespace platform
