// Small dictd and StarDict dictionaries written into a test folder, and ways to damage them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace books::test {

using Entries = std::vector<std::pair<std::string, std::string>>;  // word, text (UTF-8)

// Writes stem.index and stem.dict.dz (gzip); returns the index's path.
std::string WriteDictd(const std::string &folder, const std::string &stem, const Entries &entries);

struct StardictOptions {
    std::string sameTypeSequence = "m";  // empty: every field carries its type
    bool gzipIndex = false;              // stem.idx.gz instead of stem.idx
    std::vector<std::pair<std::string, std::uint32_t>> synonyms;  // word, entry number
    std::string bookName = "Testboek";
    bool shareSameTexts = false;  // words with one text point at one copy of it
};

// Writes stem.ifo, stem.idx (or .idx.gz), stem.dict.dz and, with synonyms, stem.syn; the
// texts are the entries' data as they are. Returns the .ifo's path.
std::string WriteStardict(const std::string &folder, const std::string &stem,
                          const Entries &entries, const StardictOptions &options = {});

// dictd's form of an index number: base64 digits, most significant first.
std::string DictdNumber(std::size_t value);
// The 32-bit big-endian form of a number, as StarDict stores it.
std::string BigEndian(std::uint32_t value);

void WriteBytes(const std::string &path, const std::string &bytes);
std::string ReadBytes(const std::string &path);
// Every file name in a folder, sorted; empty when the folder is missing.
std::vector<std::string> FolderListing(const std::string &folder);

}  // namespace books::test
