// Books opened side by side: each answers as the process-wide dictionary would on the same
// file, never touches that one, and several answer at once on threads of their own.
#include <thread>
#include <vector>

#include "fixture.h"

namespace tk::test {
namespace {

class Books : public LexqTest {
  protected:
    // A book of n words "WORDnnnn" whose texts name their word and book, in small blocks
    // so that a search of each reads blocks of its own.
    std::string Book(const std::string &name, int n) {
        std::vector<Entry> entries;
        for (int i = 0; i < n; ++i) {
            std::string word = "W";
            for (int v = i, d = 0; d < 4; ++d, v /= 26)
                word += static_cast<char>('A' + v % 26);
            entries.push_back({word, {{word, name, "<p>" + name + " " + word + "</p>"}}});
        }
        return Write(BuildDictionary(entries), name + ".idx");
    }

    static std::pair<int32_t, std::string> Ask(lexq_book *book, const std::string &text) {
        char *table = reinterpret_cast<char *>(1);
        const int32_t code = lexq_book_search(book, text.c_str(), &table);
        std::string copy = table != nullptr ? std::string(table) : std::string();
        if (code != LEXQ_ERR_NONE) {
            EXPECT_EQ(table, nullptr);
        }
        EXPECT_EQ(lexq_free_text(table), LEXQ_ERR_NONE);
        return {code, copy};
    }
};

TEST_F(Books, AnswerAsTheProcessWideDictionaryDoesAndLeaveItAlone) {
    const std::string first = Book("een", 60), second = Book("twee", 40);
    lexq_book *one = nullptr, *two = nullptr;
    ASSERT_EQ(lexq_book_open(first.c_str(), &one), LEXQ_ERR_NONE);
    ASSERT_EQ(lexq_book_open(second.c_str(), &two), LEXQ_ERR_NONE);
    // Opening books opens nothing through lexq_init.
    auto [closed, nothing] = Search("WAAAA");
    EXPECT_EQ(closed, LEXQ_ERR_NOTINITIALIZED);

    ASSERT_EQ(lexq_init(first.c_str()), LEXQ_ERR_NONE);
    for (const std::string word : {"waaaa", "WBBAA", "w-c-b-a-a", "WZZZZ", "123", ""}) {
        EXPECT_EQ(Ask(one, word), Search(word)) << word;
    }
    EXPECT_NE(Ask(two, "WBAAA").second.find("<p>twee WBAAA</p>"), std::string::npos);
    EXPECT_EQ(Ask(two, "WZZAA").first, LEXQ_ERR_WORDNOTFOUND);  // 40 words end before it

    char *rows = nullptr;
    ASSERT_EQ(lexq_book_prefix(two, "wb", 3, &rows), LEXQ_ERR_NONE);
    char *expected = nullptr;
    ASSERT_EQ(lexq_deinit(), LEXQ_ERR_NONE);
    ASSERT_EQ(lexq_init(second.c_str()), LEXQ_ERR_NONE);
    ASSERT_EQ(lexq_prefix("wb", 3, &expected), LEXQ_ERR_NONE);
    EXPECT_STREQ(rows, expected);
    lexq_free_text(rows);
    lexq_free_searchresult(expected);
    ASSERT_EQ(lexq_book_keys(two, "", 2, &rows), LEXQ_ERR_NONE);
    EXPECT_STREQ(rows, "WAAAA\nWABAA\n");
    lexq_free_text(rows);

    // Closing a book leaves the process-wide dictionary and the other book answering.
    EXPECT_EQ(lexq_book_close(two), LEXQ_ERR_NONE);
    EXPECT_EQ(Search("WBAAA").first, LEXQ_ERR_NONE);
    EXPECT_EQ(Ask(one, "WBAAA").first, LEXQ_ERR_NONE);
    EXPECT_EQ(lexq_book_close(one), LEXQ_ERR_NONE);
}

TEST_F(Books, RefuseWhatTheyCannotOpenOrWereNeverGiven) {
    lexq_book *book = reinterpret_cast<lexq_book *>(1);
    EXPECT_EQ(lexq_book_open(dir_.File("absent.idx").c_str(), &book), LEXQ_ERR_FILENOTFOUND);
    EXPECT_EQ(book, nullptr);
    book = reinterpret_cast<lexq_book *>(1);
    EXPECT_EQ(lexq_book_open(dir_.Write("short.idx", std::string(36, 'x')).c_str(), &book),
              LEXQ_ERR_WRONGFORMAT);
    EXPECT_EQ(book, nullptr);
    EXPECT_EQ(lexq_book_open(nullptr, &book), LEXQ_ERR_FILENOTFOUND);
    EXPECT_EQ(lexq_book_open(Book("x", 3).c_str(), nullptr), LEXQ_ERR_ILLEGALINPUT);

    char *table = reinterpret_cast<char *>(1);
    EXPECT_EQ(lexq_book_search(nullptr, "WAAAA", &table), LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(lexq_book_prefix(nullptr, "W", 1, &table), LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(lexq_book_keys(nullptr, "", 1, &table), LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(lexq_book_close(nullptr), LEXQ_ERR_NOTINITIALIZED);
    EXPECT_EQ(lexq_free_text(nullptr), LEXQ_ERR_NONE);
}

TEST_F(Books, AnswerOnThreadsOfTheirOwnAtOnce) {
    constexpr int kBooks = 4, kWords = 300, kRounds = 3;
    std::vector<std::string> files;
    std::vector<lexq_book *> books(kBooks);
    for (int b = 0; b < kBooks; ++b) {
        files.push_back(Book("boek" + std::to_string(b), kWords));
        ASSERT_EQ(lexq_book_open(files.back().c_str(), &books[b]), LEXQ_ERR_NONE);
    }
    // What each book answers when asked alone, one word after another.
    std::vector<std::vector<std::string>> alone(kBooks);
    const auto word = [](int i) {
        std::string w = "W";
        for (int v = i, d = 0; d < 4; ++d, v /= 26)
            w += static_cast<char>('A' + v % 26);
        return w;
    };
    for (int b = 0; b < kBooks; ++b)
        for (int i = 0; i < kWords; ++i)
            alone[b].push_back(Ask(books[b], word(i)).second);

    std::vector<int> differences(kBooks, 0);
    std::vector<std::thread> threads;
    for (int b = 0; b < kBooks; ++b) {
        threads.emplace_back([&, b] {
            for (int round = 0; round < kRounds; ++round)
                for (int i = 0; i < kWords; ++i) {
                    char *table = nullptr;
                    const int32_t code = lexq_book_search(books[b], word(i).c_str(), &table);
                    if (code != LEXQ_ERR_NONE || table == nullptr || alone[b][i] != table)
                        ++differences[b];
                    lexq_free_text(table);
                }
        });
    }
    for (std::thread &t : threads)
        t.join();
    for (int b = 0; b < kBooks; ++b) {
        EXPECT_EQ(differences[b], 0) << "book " << b;
        EXPECT_EQ(lexq_book_close(books[b]), LEXQ_ERR_NONE);
    }
}

}  // namespace
}  // namespace tk::test
