// StarDict dictionaries: the ".ifo" description, the ".idx" word list (or ".idx.gz"),
// the ".dict" texts (or ".dict.dz") and the optional ".syn" synonyms, read into the
// source format. Every field is checked against the files' sizes and the counts the
// ".ifo" gives; a damaged file is refused with a Dutch message naming it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "books/diagnostics.h"
#include "books/dictd_import.h"
#include "books/progress.h"

namespace books {

struct StardictInfo {
    std::string version;   // "2.4.2" or "3.0.0"
    std::string bookName;  // UTF-8
    std::uint32_t wordCount = 0;
    std::uint32_t synWordCount = 0;
    std::uint64_t idxFileSize = 0;
    int offsetBits = 32;           // 64 only with version 3.0.0
    std::string sameTypeSequence;  // empty: every field carries its type
};

// Parses the ".ifo" text; throws InputError naming `file` when it is not one.
StardictInfo ParseStardictInfo(std::string_view text, const std::string &file);

struct StardictWord {
    std::string word;  // UTF-8
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
};

// Parses the word list; every entry must lie inside a text of dictSize bytes.
std::vector<StardictWord> ParseStardictIndex(std::string_view idx, const StardictInfo &info,
                                             std::uint64_t dictSize, const std::string &file);

// Parses the synonyms: each names an entry of a word list of wordCount entries.
std::vector<std::pair<std::string, std::uint32_t>> ParseStardictSynonyms(std::string_view syn,
                                                                         const StardictInfo &info,
                                                                         const std::string &file);

// The HTML of one entry's data (its fields by type: text, phonetics, markup, HTML);
// pictures, sounds and other binary fields are left out. Throws InputError when a field
// runs past the entry.
std::string StardictEntryHtml(std::string_view data, const std::string &sameTypeSequence,
                              const std::string &file);

// The files of one StarDict dictionary, their names as the user gave or as found beside.
struct StardictFiles {
    std::string ifo, idx, dict, syn;  // syn empty when there is none
};

// Reads the dictionary and converts it into source text; entries whose headword has no
// Windows-1252 form or no letters are skipped with a warning and counted.
std::string ImportStardict(const StardictFiles &files, const std::string &dir, Diagnostics &diag,
                           DictdImportCounts &counts, StardictInfo &info,
                           Progress *progress = nullptr);

inline constexpr std::string_view kStardictSourceHeader =
    "# Imported from a StarDict dictionary by lexqc add.\n\n";

// The same, handing each record on as it is made.
void ImportStardictRecords(const StardictFiles &files, const std::string &dir, Diagnostics &diag,
                           DictdImportCounts &counts, StardictInfo &info, Progress *progress,
                           const RecordSink &emit);

}  // namespace books
