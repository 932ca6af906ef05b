// libFuzzer target: a dictionary source as lexqc build reads it.
//
// Properties: the records read, written out again in source form, read back to the same
// entries without an error; and when their keys can be stored, the compiled dictionary
// reads back to every key's hits in source order.
#include <string>
#include <vector>

#include "books/builder.h"
#include "books/encoding.h"
#include "books/keys.h"
#include "books/reader.h"
#include "books/source.h"
#include "fuzz_support.h"

using namespace books;

namespace {

// A compiled dictionary of more keys than this is left out: the source side is the point.
constexpr std::size_t kMostKeysBuilt = 32;

std::vector<std::string> BodyLines(const std::string &body) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = body.find("\r\n", start);
        lines.push_back(Cp1252ToUtf8(body.substr(start, end - start)));
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

bool SameEntry(const SourceEntry &a, const SourceEntry &b) {
    if (a.headword != b.headword || a.dir != b.dir || a.body != b.body ||
        a.keys.size() != b.keys.size())
        return false;
    for (std::size_t i = 0; i < a.keys.size(); ++i)
        if (a.keys[i].text != b.keys[i].text)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    Diagnostics diag;
    const std::vector<SourceEntry> entries = ParseSource(input, diag);

    std::string again;
    for (const SourceEntry &entry : entries) {
        std::vector<std::string> keys;
        for (const SourceKey &key : entry.keys)
            keys.push_back(Cp1252ToUtf8(key.text));
        again += FormatRecord(Cp1252ToUtf8(entry.headword), Cp1252ToUtf8(entry.dir), keys,
                              BodyLines(entry.body));
    }
    Diagnostics reread;
    const std::vector<SourceEntry> back = ParseSource(again, reread);
    fuzz::Check(!reread.HasErrors(), "records written out read back with an error");
    fuzz::Check(back.size() == entries.size(), "records written out read back to more or fewer");
    for (std::size_t i = 0; i < back.size(); ++i)
        fuzz::Check(SameEntry(back[i], entries[i]), "a record written out read back otherwise");

    Diagnostics keyDiag;
    const KeyTable table = CollectKeys(entries, keyDiag, 255, 0xFFFF);
    if (keyDiag.HasErrors() || table.keys.empty() || table.keys.size() > kMostKeysBuilt)
        return 0;
    BuildOptions options;
    options.textSize = 512;  // several blocks and index levels from few entries
    options.leafSize = 256;
    options.fanout = 3;
    const BuildResult built = BuildDictionary(table, options, nullptr);
    const DictionaryReader reader(built.file, nullptr);
    fuzz::Check(reader.Walk().problems.empty(), "a compiled dictionary has problems");
    for (const auto &[key, hits] : table.keys) {
        const auto found = reader.Lookup(key);
        fuzz::Check(found.has_value() && found->size() == hits.size(), "a compiled key lost hits");
        for (std::size_t i = 0; i < hits.size(); ++i)
            fuzz::Check((*found)[i] == table.triples[hits[i]], "a compiled hit reads otherwise");
    }
    return 0;
}
