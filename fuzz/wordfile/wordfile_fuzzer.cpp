// libFuzzer target: the word-list file as the store reads it. Input: the file's bytes.
//
// Properties: a file read as Ok has non-empty, sorted, distinct list names; every row is in
// one of them and all its texts are UTF-8; a file not read as Ok yields nothing.
#include <algorithm>
#include <cstdint>

#include "fuzz_support.h"
#include "platform/encoding.h"
#include "viewer/wordlist/WordFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    wordlist::TWordFileContents contents;
    const wordlist::TReadStatus status = wordlist::ReadWordFileBytes(input, contents);
    if (status != wordlist::TReadStatus::Ok) {
        fuzz::Check(contents.Lists.empty() && contents.Words.empty(),
                    "a file that is not read as Ok left entries behind");
        fuzz::Check(!wordlist::ReadStatusText(status).empty(), "a status without a text");
        return 0;
    }
    fuzz::Check(std::is_sorted(contents.Lists.begin(), contents.Lists.end()) &&
                    std::adjacent_find(contents.Lists.begin(), contents.Lists.end()) ==
                        contents.Lists.end(),
                "list names not sorted or not distinct");
    for (const std::string &list : contents.Lists)
        fuzz::Check(!list.empty() && platform::IsUtf8(list), "an empty or non-UTF-8 list name");
    for (const wordlist::TWordEntry &entry : contents.Words) {
        fuzz::Check(std::binary_search(contents.Lists.begin(), contents.Lists.end(), entry.List),
                    "a row in a list that is not listed");
        for (const std::string *text : {&entry.Headword, &entry.Book, &entry.Html, &entry.Plain,
                                        &entry.Typed, &entry.BaseForm, &entry.Added})
            fuzz::Check(platform::IsUtf8(*text), "a row's text is not UTF-8");
    }
    return 0;
}
