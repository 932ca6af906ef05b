// libFuzzer target: a card file to import, as the word list reads it. Input: the file.
//
// Properties: every entry read has a headword and UTF-8 texts, and a refusal has a reason;
// what was read, written again as Anki notes and read back, gives the same headwords,
// typed forms, entry HTML and books (the book as the tag it became).
#include <cstdint>

#include "fuzz_support.h"
#include "platform/encoding.h"
#include "viewer/wordlist/CardFile.h"
#include "viewer/wordlist/CardImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const wordlist::TCardImport read = wordlist::ReadCardFile(input);
    fuzz::Check(!read.Error.empty() || !read.Entries.empty() || read.Skipped > 0,
                "nothing read and no reason given");
    for (const wordlist::TWordEntry &entry : read.Entries) {
        fuzz::Check(!entry.Headword.empty(), "an entry without a headword");
        for (const std::string *text : {&entry.Headword, &entry.Book, &entry.Html, &entry.Plain,
                                        &entry.Typed, &entry.BaseForm, &entry.Added})
            fuzz::Check(platform::IsUtf8(*text), "an entry's text is not UTF-8");
    }
    if (read.Entries.empty())
        return 0;
    const wordlist::TCardImport again = wordlist::ReadCardFile(wordlist::AnkiNotes(read.Entries));
    fuzz::Check(again.Error.empty() && again.Entries.size() == read.Entries.size(),
                "the notes written from an import do not read back whole");
    for (std::size_t i = 0; i < read.Entries.size(); ++i) {
        const wordlist::TWordEntry &first = read.Entries[i], &second = again.Entries[i];
        fuzz::Check(second.Headword == first.Headword, "a headword changed on the way");
        fuzz::Check(second.Html == first.Html, "an entry's HTML changed on the way");
        fuzz::Check(second.Book == wordlist::AnkiTag(first.Book), "a book changed on the way");
        fuzz::Check(second.Typed == (wordlist::TypedDiffers(first) ? first.Typed : first.Headword),
                    "a typed form changed on the way");
    }
    return 0;
}
