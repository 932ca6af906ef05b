#include <gtest/gtest.h>

#include "platform/shell.h"

namespace {

struct SplitCase {
    const char *line;
    std::vector<std::string> arguments;
};

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    const SplitCase cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"  lead  trail  ", {"lead", "trail"}},
        {"\"C:\\Program Files\\x.txt\"", {"C:\\Program Files\\x.txt"}},
        {"a\\\\b c\\d", {"a\\\\b", "c\\d"}},  // backslashes without a quote stay
        {"a\\\\\"b c\"", {"a\\b c"}},         // 2n + quote: n, quote toggles
        {"a\\\\\\\"b", {"a\\\"b"}},           // 2n+1 + quote: n and a literal quote
        {"\\\"x\\\"", {"\"x\""}},
        {"\"\"", {""}},            // an empty argument
        {"\"a\"\"b\"", {"a\"b"}},  // "" inside quotes: one quote
        {"\"\"\"a\"\"\"", {"\"a\""}},
        {"x\"y z\"w v", {"xy zw", "v"}},  // quotes inside a word
        {"\"unterminated  rest", {"unterminated  rest"}},
        {"; rm -rf $HOME `x` | y", {";", "rm", "-rf", "$HOME", "`x`", "|", "y"}},
    };
    for (const SplitCase &c : cases)
        EXPECT_EQ(platform::SplitCommandLine(c.line), c.arguments) << "line: " << c.line;
}

}  // namespace
