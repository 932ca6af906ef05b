// The bundled Polish-Dutch book against the dictd source it was made from: every word of
// the source's index is found by its own text, in capitals, and by its letters without
// accents, and each answer holds an entry of that word. The letters without accents come
// from utf8proc's decomposition (and ł for l), not from the library's own key rule.
#include <gtest/gtest.h>
#include <utf8proc.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foldtable_utf8.h"
#include "lexqapi.h"

namespace {

const char *const kSourceIndex = "/usr/share/dictd/freedict-pol-nld.index";

std::string Map(const std::string &text, int options) {
    utf8proc_uint8_t *out = nullptr;
    const utf8proc_ssize_t length = utf8proc_map(
        reinterpret_cast<const utf8proc_uint8_t *>(text.data()),
        static_cast<utf8proc_ssize_t>(text.size()), &out, static_cast<utf8proc_option_t>(options));
    std::string mapped = length >= 0 ? std::string(reinterpret_cast<char *>(out), length) : "";
    std::free(out);
    return mapped;
}

std::string WithoutAccents(const std::string &word) {
    std::string plain = Map(word, UTF8PROC_COMPOSE | UTF8PROC_STRIPMARK);
    for (const auto &[stroked, base] : {std::pair{"ł", "l"}, std::pair{"Ł", "L"}})
        for (size_t at; (at = plain.find(stroked)) != std::string::npos;)
            plain.replace(at, std::string(stroked).size(), base);
    return plain;
}

std::string Capitals(const std::string &text) {
    std::string upper;
    const auto *p = reinterpret_cast<const utf8proc_uint8_t *>(text.data());
    for (utf8proc_ssize_t at = 0, size = static_cast<utf8proc_ssize_t>(text.size()); at < size;) {
        utf8proc_int32_t code = 0;
        const utf8proc_ssize_t used = utf8proc_iterate(p + at, size - at, &code);
        if (used <= 0)
            return text;
        utf8proc_uint8_t bytes[4];
        upper.append(reinterpret_cast<char *>(bytes),
                     utf8proc_encode_char(utf8proc_toupper(code), bytes));
        at += used;
    }
    return upper;
}

std::string Key(const std::string &text) {
    std::string key(lexq_fold_utf8(text.data(), text.size(), nullptr), '\0');
    lexq_fold_utf8(text.data(), text.size(), key.data());
    return key;
}

// The keyword cells (the third of each row) of a result table.
std::vector<std::string> Keywords(const std::string &table) {
    std::vector<std::string> words;
    for (size_t row = table.find("<tr>"); row != std::string::npos;
         row = table.find("<tr>", row + 1)) {
        size_t cell = row;
        for (int i = 0; i < 3; ++i)
            cell = table.find("<td>", cell) + 4;
        words.push_back(table.substr(cell, table.find("</td>", cell) - cell));
    }
    return words;
}

TEST(BundledPolishBook, EveryHeadwordOfTheSourceIsFoundByItsTextAndItsPlainLetters) {
    const std::string book = std::string(TK_BUNDLED_DATA) + "/pl-nl.idx";
    if (!std::filesystem::exists(book) || !std::filesystem::exists(kSourceIndex))
        GTEST_SKIP() << "needs " << book << " and dict-freedict-pol-nld";
    lexq_book *handle = nullptr;
    ASSERT_EQ(lexq_book_open(book.c_str(), &handle), LEXQ_ERR_NONE);
    std::ifstream index(kSourceIndex);
    size_t words = 0, accented = 0, failures = 0;
    for (std::string line; std::getline(index, line);) {
        const std::string word = line.substr(0, line.find('\t'));
        if (word.rfind("00database", 0) == 0 || word.rfind("00-database", 0) == 0)
            continue;
        ++words;
        accented += WithoutAccents(word) != word;
        for (const std::string &typed : {word, Capitals(word), WithoutAccents(word),
                                         Map(WithoutAccents(word), UTF8PROC_CASEFOLD)}) {
            char *table = nullptr;
            const int32_t status = lexq_book_search_utf8(handle, typed.c_str(), &table);
            const std::string text = table != nullptr ? table : "";
            lexq_free_text(table);
            bool named = false;
            for (const std::string &keyword : Keywords(text))
                named = named || Key(keyword) == Key(word);
            if (status != LEXQ_ERR_NONE || !named) {
                if (++failures <= 10)
                    ADD_FAILURE() << "\"" << typed << "\" (for \"" << word << "\"): status "
                                  << status;
            }
        }
    }
    lexq_book_close(handle);
    EXPECT_GT(words, 13000u);
    EXPECT_GT(accented, 2000u);  // the plain letters differ for the words that need them
    EXPECT_EQ(failures, 0u) << "of " << words << " words";
}

}  // namespace
