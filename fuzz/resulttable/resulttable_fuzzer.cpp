// libFuzzer target: a result table as the search library hands it to the viewer, the
// result page built from its rows, and that page as the display bounds it. Input: the
// table's bytes; its length picks the book's pronunciation cell.
//
// Properties: a table built from the parsed rows parses back to the same rows in the same
// order; the page holds every row's entry text; the bounded page keeps its size bound, and
// a page that was not cut is bounded once and for all.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/display/PageBounds.h"

namespace {

// The pronunciation cells a book may name; -1 for a book without one.
const std::int32_t kFluencyFields[] = {-1, 3, 4, 5};

struct Row {
    std::string Text, Search, Key, Keyword, Language, Body, Transcription;
    bool operator==(const Row &) const = default;
};

// Parses the table; false when the viewer refuses it as corrupt.
bool Parse(const std::string &table, std::int32_t fluencyField, TLXASearchResults &results) {
    results.Clear();
    results.SearchText = "huis";
    results.RawTable = table;
    try {
        results.ParseTable(fluencyField);
    } catch (const ELXAException &) {
        return false;
    }
    return true;
}

std::vector<Row> Rows(const TLXASearchResults &results) {
    std::vector<Row> rows;
    for (const auto &item : results.Items)
        rows.push_back(Row{item->RowText, item->SearchWord, item->Translated, item->Keyword,
                           item->LanguageDir, item->Body, item->Transcription});
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string table(reinterpret_cast<const char *>(data), size);
    const std::int32_t fluencyField = kFluencyFields[size % std::size(kFluencyFields)];
    TLXASearchResults results;
    if (!Parse(table, fluencyField, results))
        return 0;
    const std::vector<Row> rows = Rows(results);
    for (const Row &row : rows)
        fuzz::Check(!row.Search.empty() && !row.Key.empty() && !row.Keyword.empty(),
                    "a row without its search word, key or keyword");

    std::string rebuilt = "<table>";
    for (const Row &row : rows)
        rebuilt += "<tr>" + row.Text + "</tr>";
    rebuilt += "</table>";
    TLXASearchResults again;
    fuzz::Check(Parse(rebuilt, fluencyField, again), "a table built from parsed rows is refused");
    fuzz::Check(Rows(again) == rows, "a table built from parsed rows parses to other rows");

    const std::string page = results.BuildPage("dict.css");
    for (const Row &row : rows)
        fuzz::Check(page.find(row.Body) != std::string::npos, "an entry is missing from the page");

    const display::TPageBounds bounds{.MaxBytes = 4096};
    bool cut = false;
    const std::string bounded = display::BoundPage(page, bounds, &cut);
    // End tags to close what is open at a cut take at most as much again as the page.
    if (page.size() * 5 <= bounds.MaxBytes)
        fuzz::Check(!cut, "a page well within the size bound was cut");
    if (cut)
        // The page's own bytes with its elements closed, and the line that says so.
        fuzz::Check(bounded.size() <= bounds.MaxBytes + display::kPageCutNotice.size() + 64,
                    "a cut page is longer than its bound");
    else
        fuzz::Check(display::BoundPage(bounded, bounds) == bounded,
                    "a bounded page changes when bounded again");
    return 0;
}
