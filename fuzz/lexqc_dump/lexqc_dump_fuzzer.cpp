// libFuzzer target: arbitrary bytes as a compiled dictionary file, read the way lexqc dump
// and lexqc verify read it.
//
// Property: a file whose whole tree reads without a problem answers a look-up of each of
// its keys with exactly the hits the walk found, and without an error.
#include <memory>

#include "books/cipher.h"
#include "books/layout.h"
#include "books/reader.h"
#include "fuzz_support.h"

using namespace books;

namespace {

// Keys looked up per input: enough to reach every leaf of a small file.
constexpr std::size_t kMostLookups = 64;

// Loaded once and never unloaded: libFuzzer reads its coverage counters after every run.
const Cipher &Decrypt() {
    static const std::unique_ptr<CryptLibrary> crypt = CryptLibrary::Load(TK_FUZZ_CRYPT);
    static const Cipher decrypt = crypt->Decrypt();
    return decrypt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const Bytes file(data, data + size);
    const bool enciphered = size > kEncipheredField && data[kEncipheredField] != 0;
    bool sound = false;
    try {
        const DictionaryReader reader(file, enciphered ? Decrypt() : Cipher());
        if (!reader.Walk().problems.empty())
            return 0;
        sound = true;
        std::vector<LeafRecord> records = reader.AllRecords();
        if (records.size() > kMostLookups)
            records.resize(kMostLookups);
        for (const LeafRecord &record : records) {
            std::vector<Triple> walked;
            for (const StoredHit &hit : record.hits)
                walked.push_back(reader.ReadHit(hit));
            const auto found = reader.Lookup(record.key);
            fuzz::Check(found.has_value() && *found == walked,
                        "a key of a sound file looks up otherwise than the walk read it");
        }
    } catch (const InputError &) {
        fuzz::Check(!sound, "a file whose tree read soundly failed a look-up");
    }
    return 0;
}
