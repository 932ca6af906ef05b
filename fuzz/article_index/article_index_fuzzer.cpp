// libFuzzer target: an article index file (NAME.fts) as it may lie beside a book.
//
// Properties: opening never crashes and refuses with a reason; an opened index walks its
// reversed keys and answers searches without crashing, every key walked ends with the
// suffix asked for, and a search that succeeds lists at most its limit and counts at least
// as many as it lists.
#include <string>
#include <string_view>

#include "books/article_index.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static fuzz::MemoryFile file("index.fts");
    const std::string &path =
        file.Write(std::string_view(reinterpret_cast<const char *>(data), size));
    books::ArticleIndex::OpenStatus status;
    // No crypt.dll: an enciphered image is refused as such, never read.
    const auto index = books::ArticleIndex::Open(path, status, "/nonexistent/crypt.dll");
    if (!index) {
        fuzz::Check(status != books::ArticleIndex::OpenStatus::Ok, "a refusal gives its reason");
        return 0;
    }
    for (const char *suffix : {"E", "UIS", "Z"}) {
        const std::string_view end(suffix);
        index->KeysEndingWith(end, [&](std::string_view key) {
            fuzz::Check(key.size() >= end.size() && key.substr(key.size() - end.size()) == end,
                        "every key walked ends with the suffix");
            return true;
        });
    }
    for (const char *word : {"a", "huis", "the"}) {
        books::ArticleIndex::Query query;
        query.all = std::string("\"") + word + "\"";
        query.phrases = 1;
        query.words = {{word}};
        for (const std::size_t limit : {std::size_t(5), books::ArticleIndex::kEvery}) {
            books::ArticleIndex::Found found;
            std::string error;
            if (index->Search(query, limit, found, error))
                fuzz::Check(found.matches.size() <= limit && found.total >= found.matches.size(),
                            "a search lists at most its limit and counts what it lists");
        }
    }
    return 0;
}
