#include "verify.h"

#include "encoding.h"

namespace lexqc {

namespace {
constexpr std::size_t kMaxReported = 10;

std::string Shorten(const std::string &cp1252) {
    const std::string text = Cp1252ToUtf8(cp1252);
    return text.size() > 160 ? text.substr(0, 160) + "..." : text;
}
}  // namespace

std::string ExpectedTable(const std::string &key, const std::vector<std::uint32_t> &hits,
                          const std::vector<Triple> &triples) {
    std::string table = "<table>";
    for (const std::uint32_t i : hits) {
        const Triple &t = triples[i];
        table += "<tr><td>" + key + "</td><td>" + key + "</td><td>" + t.s1 + "</td><td>" + t.s2 +
                 "</td><td>" + t.s3 + "</td></tr>";
    }
    return table + "</table>";
}

VerifyReport VerifyDictionary(SearchLibrary &library, const std::string &path,
                              const KeyTable &table) {
    VerifyReport report;
    if (const std::int32_t status = library.Open(path); status != LEXQ_ERR_NONE) {
        report.mismatches.push_back(path +
                                    ": the search library cannot open it: " + StatusName(status));
        report.keysFailed = table.keys.size();
        return report;
    }
    for (const auto &[key, hits] : table.keys) {
        ++report.keysChecked;
        report.rowsChecked += hits.size();
        const SearchLibrary::Result result = library.Search(key);
        std::string problem;
        if (result.status != LEXQ_ERR_NONE) {
            problem = StatusName(result.status);
        } else if (result.table != ExpectedTable(key, hits, table.triples)) {
            problem = "other rows: " + Shorten(result.table);
        }
        if (problem.empty())
            continue;
        ++report.keysFailed;
        if (report.mismatches.size() < kMaxReported) {
            report.mismatches.push_back("key " + key + ": " + problem);
        }
    }
    library.Close();
    return report;
}

}  // namespace lexqc
