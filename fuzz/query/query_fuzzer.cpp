// libFuzzer target: a full-text query as typed (UTF-8 or not).
//
// Properties: a refused query says why; a read one has at most the limit of terms, each
// with words of word bytes only, at least one wanted; and its expression is accepted by
// FTS5 itself (the reader's quoting leaves nothing to be read as syntax), against a table
// whose rows hold the query's own words, so that a wanted single word is found.
#include <sqlite3.h>

#include <string>

#include "fuzz_support.h"
#include "viewer/finder/FullTextQuery.h"

namespace {

sqlite3 *Database() {
    static sqlite3 *db = [] {
        sqlite3 *opened = nullptr;
        if (sqlite3_open(":memory:", &opened) != SQLITE_OK ||
            sqlite3_exec(opened,
                         "CREATE VIRTUAL TABLE t USING fts5(headword, body, content='',"
                         " detail=full, tokenize='unicode61 remove_diacritics 2')",
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            fuzz::Fail("the table cannot be made");
        return opened;
    }();
    return db;
}

// Runs the expression; the number of rows, or -1 when FTS5 refuses it.
int Rows(const std::string &expression) {
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(Database(), "SELECT rowid FROM t WHERE t MATCH ?", -1, &statement,
                           nullptr) != SQLITE_OK)
        fuzz::Fail("the query cannot be prepared");
    sqlite3_bind_text(statement, 1, expression.data(), static_cast<int>(expression.size()),
                      SQLITE_TRANSIENT);
    int rows = 0, step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
        ++rows;
    sqlite3_finalize(statement);
    return step == SQLITE_DONE ? rows : -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    std::string error;
    const auto query = fulltext::TQuery::Read(text, error);
    if (!query) {
        fuzz::Check(!error.empty(), "a refused query without a reason");
        return 0;
    }
    fuzz::Check(!query->Terms().empty() && query->Terms().size() <= fulltext::kMostTerms,
                "too few or too many terms");
    bool wanted = false;
    std::string words;
    for (const fulltext::TTerm &term : query->Terms()) {
        wanted = wanted || !term.Excluded;
        fuzz::Check(!term.Words.empty(), "a term without words");
        for (const std::string &word : term.Words) {
            fuzz::Check(!word.empty(), "an empty word");
            for (const char c : word)
                fuzz::Check(fulltext::IsWordByte(c), "a word with a byte that parts words");
            words += word + " ";
        }
    }
    fuzz::Check(wanted, "no wanted term");
    // One row with every word of the query: a query without exclusions may find it.
    sqlite3_exec(Database(), "DELETE FROM t", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(Database(), "INSERT INTO t(rowid, headword, body) VALUES(1, '', ?)", -1,
                       &insert, nullptr);
    sqlite3_bind_text(insert, 1, words.data(), static_cast<int>(words.size()), SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_finalize(insert);
    fuzz::Check(Rows(query->Expression()) >= 0, "FTS5 refuses the expression");
    return 0;
}
