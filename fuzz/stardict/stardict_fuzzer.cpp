// libFuzzer target: a StarDict dictionary as "add a book" reads it. Input: the .ifo, .idx
// (plain or gzip), .dict (plain or dictzip) and, when there is a fourth part, .syn files,
// separated by the part separator.
//
// Properties: a dictionary is refused with a message or read whole: every word of the
// word list is either a record or skipped, and the source written reads back without an
// error to exactly the records counted.
#include "books/source.h"
#include "books/stardict.h"
#include "fuzz_support.h"

using namespace books;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static fuzz::MemoryFile ifo("stardict-ifo"), idx("stardict-idx"), dict("stardict-dict"),
        syn("stardict-syn");
    const std::vector<std::string_view> parts =
        fuzz::SplitParts(std::string_view(reinterpret_cast<const char *>(data), size), 4);
    const auto part = [&parts](std::size_t i) { return i < parts.size() ? parts[i] : ""; };
    StardictFiles files;
    files.ifo = ifo.Write(part(0));
    files.idx = idx.Write(part(1));
    files.dict = dict.Write(part(2));
    if (parts.size() > 3)
        files.syn = syn.Write(part(3));

    Diagnostics diag;
    DictdImportCounts counts;
    StardictInfo info;
    std::string source;
    try {
        source = ImportStardict(files, "", diag, counts, info);
    } catch (const InputError &error) {
        if (!std::string_view(error.what()).starts_with("Het bestand '"))
            fuzz::Fail(std::string("a refusal that does not name its file: ") + error.what());
        return 0;
    }
    fuzz::Check(counts.entries == info.wordCount, "a word of the list was not read");
    fuzz::Check(counts.entries == counts.records + counts.skipped,
                "an entry was neither written nor skipped");
    Diagnostics reread;
    // Read back as the book it makes: headwords beyond Windows-1252 make a UTF-8 book.
    const std::vector<SourceEntry> entries = ParseSource(source, reread, 0, SourceTextKind(source));
    if (reread.HasErrors())
        fuzz::Fail("the imported source does not read back: " + reread.Errors().front());
    fuzz::Check(entries.size() == counts.records,
                "the imported source holds more or fewer records");
    return 0;
}
