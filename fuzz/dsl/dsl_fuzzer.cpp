// libFuzzer target: a Lingvo DSL dictionary as "add a book" reads it. Input: the .dsl file
// (plain or gzip, any encoding) and, when there is a second part, its abbreviations file,
// separated by the part separator.
//
// Properties: a dictionary is refused with a message naming its file, or read whole:
// every headword line is either kept or skipped, and the source written reads back
// without an error to exactly the records handed on.
#include "books/dsl.h"
#include "books/source.h"
#include "fuzz_support.h"

using namespace books;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static fuzz::MemoryFile dsl("dsl-text"), abbreviations("dsl-abbreviations");
    const std::vector<std::string_view> parts =
        fuzz::SplitParts(std::string_view(reinterpret_cast<const char *>(data), size), 2);
    DslFiles files;
    files.dsl = dsl.Write(parts.empty() ? "" : parts[0]);
    if (parts.size() > 1)
        files.abbreviations = abbreviations.Write(parts[1]);

    Diagnostics diag;
    DictdImportCounts counts;
    DslInfo info;
    std::string source(kDslSourceHeader);
    std::size_t records = 0;
    try {
        ImportDslRecords(files, diag, counts, info, nullptr, [&](const std::string &record) {
            source += record;
            ++records;
        });
    } catch (const InputError &error) {
        if (!std::string_view(error.what()).starts_with("Het bestand '"))
            fuzz::Fail(std::string("a refusal that does not name its file: ") + error.what());
        return 0;
    }
    fuzz::Check(counts.entries == counts.records + counts.skipped,
                "a headword was neither kept nor skipped");
    fuzz::Check(records <= counts.records, "a record without a headword");
    Diagnostics reread;
    const std::vector<SourceEntry> entries = ParseSource(source, reread);
    if (reread.HasErrors())
        fuzz::Fail("the imported source does not read back: " + reread.Errors().front());
    fuzz::Check(entries.size() == records, "the imported source holds more or fewer records");
    return 0;
}
