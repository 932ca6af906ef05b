#include "books/verify.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "books/encoding.h"
#include "books/layout.h"

namespace books {

namespace {
constexpr std::size_t kMaxReported = 10;

std::string Shorten(const std::string &stored, bool utf8) {
    const std::string text = utf8 ? stored : Cp1252ToUtf8(stored);
    return text.size() > 160 ? text.substr(0, 160) + "..." : text;
}
// The key count that this compiler writes into the header; nullopt for a file of
// another origin or one too short to tell.
std::optional<std::uint32_t> StoredKeyCount(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    char header[24] = {};
    if (!in.read(header, sizeof header))
        return std::nullopt;
    if (!std::equal(std::begin(kIdentification), std::end(kIdentification), header) &&
        !std::equal(kUtf8Identification, kUtf8Identification + 16, header)) {
        return std::nullopt;
    }
    std::uint32_t count = 0;
    for (int i = 23; i >= 20; --i)
        count = (count << 8) | static_cast<std::uint8_t>(header[i]);
    return count;
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
    // Every key of the source is searched below; a file with keys beyond those (say,
    // built from a newer source) shows here.
    if (const auto stored = StoredKeyCount(path); stored && *stored != table.keys.size()) {
        ++report.keysFailed;
        report.mismatches.push_back(path + ": the file holds " + std::to_string(*stored) +
                                    " keys, the source " + std::to_string(table.keys.size()));
    }
    // A UTF-8 book answers through the UTF-8 search; its keys are their own search keys.
    const bool utf8 = library.OpenBookIsUtf8();
    for (const auto &[key, hits] : table.keys) {
        ++report.keysChecked;
        report.rowsChecked += hits.size();
        const SearchLibrary::Result result = utf8 ? library.SearchUtf8(key) : library.Search(key);
        std::string problem;
        if (result.status != LEXQ_ERR_NONE) {
            problem = StatusName(result.status);
        } else if (result.table != ExpectedTable(key, hits, table.triples)) {
            problem = "other rows: " + Shorten(result.table, utf8);
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

}  // namespace books
