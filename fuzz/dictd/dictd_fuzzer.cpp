// libFuzzer target: a dictd dictionary as lexqc import-dictd and "add a book" read it.
// Input: one byte for the layout (plain, FreeDict, WordNet), the .index file, the part
// separator, and the .dict file (plain or gzip/dictzip).
//
// Properties: every entry is either a record or skipped; the source written reads back
// without an error, each of its records standing for one or more of the entries counted; errors
// come with a bad line's number.
#include "books/dictd_import.h"
#include "books/source.h"
#include "fuzz_support.h"

using namespace books;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    static fuzz::MemoryFile indexFile("dictd-index"), dictFile("dictd-dict");
    const std::vector<std::string_view> parts =
        fuzz::SplitParts(std::string_view(reinterpret_cast<const char *>(data) + 1, size - 1), 2);
    std::string index, text;
    try {
        index = ReadGzipFile(indexFile.Write(parts[0]));
        text = ReadGzipFile(dictFile.Write(parts.size() > 1 ? parts[1] : ""));
    } catch (const InputError &) {
        return 0;  // a damaged gzip file is refused as a whole
    }
    DictdImportOptions options;
    options.freedict = data[0] % 3 == 1;
    options.wordnet = data[0] % 3 == 2;
    options.dir = data[0] & 0x80 ? "nl-en" : "";
    Diagnostics diag;
    DictdImportCounts counts;
    const std::string source = ImportDictd(index, text, options, diag, &counts);

    fuzz::Check(counts.entries == counts.records + counts.skipped,
                "an entry was neither written nor skipped");
    fuzz::Check(diag.HasErrors() == (counts.firstBadLine != 0),
                "errors and the first bad line disagree");
    fuzz::Check(counts.foreignScript <= counts.skipped, "more foreign headwords than skipped");
    Diagnostics reread;
    // Read back as the book it makes: headwords beyond Windows-1252 make a UTF-8 book.
    const std::vector<SourceEntry> entries = ParseSource(source, reread, 0, SourceTextKind(source));
    if (reread.HasErrors())
        fuzz::Fail("the imported source does not read back: " + reread.Errors().front());
    // Index lines naming one text share its record, so a record stands for one or more.
    fuzz::Check(entries.size() <= counts.records && entries.empty() == (counts.records == 0),
                "the imported source holds more records than counted, or none for some");
    return 0;
}
