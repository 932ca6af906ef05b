#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "books/source.h"

namespace books::test {

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void TestCipher(std::uint32_t position, std::uint8_t *data, std::uint32_t length) {
    for (std::uint32_t i = 0; i < length; ++i) {
        std::uint32_t x = (position + i) * 0x9E3779B1u;
        x ^= x >> 15;
        data[i] ^= static_cast<std::uint8_t>(x * 0x2C1B3C6Du >> 24);
    }
}

KeyTable Collect(const std::string &source, std::size_t maxKeyLength) {
    Diagnostics diag("test.src");
    const std::vector<SourceEntry> entries = ParseSource(source, diag);
    EXPECT_FALSE(diag.HasErrors()) << (diag.Errors().empty() ? "" : diag.Errors()[0]);
    KeyTable table = CollectKeys(entries, diag, maxKeyLength, 0xFFFF);
    EXPECT_FALSE(diag.HasErrors()) << (diag.Errors().empty() ? "" : diag.Errors()[0]);
    return table;
}

std::string ManyEntries(int n) {
    std::string source;
    for (int i = 0; i < n; ++i) {
        // Letters only, so every entry has a key of its own: AAAA, AAAB, ...
        std::string word = "w";
        for (int v = i, d = 0; d < 4; ++d, v /= 26)
            word += static_cast<char>('a' + v % 26);
        source += "kw: " + word + "\ndir: t-" + std::to_string(i % 7) + "\n<p>entry " +
                  std::to_string(i) + " " + std::string(static_cast<std::size_t>(i % 50), 'x') +
                  "</p>\n\n";
    }
    return source;
}

}  // namespace books::test
