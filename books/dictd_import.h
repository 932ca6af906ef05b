// Import of dictd dictionaries (a ".index" file and its ".dict.dz" text) into the
// source format: each index line becomes one record with a simple HTML body.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "books/diagnostics.h"
#include "books/progress.h"

namespace books {

// A number in dictd's base64 digits (A-Z a-z 0-9 + /, most significant first);
// nullopt for an empty text, a foreign character or a value beyond 64 bits.
std::optional<std::uint64_t> DecodeDictdNumber(std::string_view digits);

// Reads a gzip (or dictzip) file whole; a plain file is read as it is.
std::string ReadGzipFile(const std::string &path);

// Bytes that are not UTF-8, and C1 controls (U+0080-U+009F), are taken as Windows-1252,
// so that older or mislabelled files survive.
std::string DecodeLenient(std::string_view bytes, bool *hadInvalid = nullptr);

// The entry text as HTML: paragraphs (separated by blank lines) in <p>, their lines
// joined with <br>, indentation and runs of blanks kept as no-break spaces (LaidOutHtml),
// &, <, > and " escaped.
std::string EntryTextToHtml(std::string_view utf8);

struct DictdImportOptions {
    std::string dir;               // goes into every record's "dir:" line
    bool freedict = false;         // entries in FreeDict's layout become headword, pronunciation
                                   // and a numbered list of senses (freedict_entry.h)
    bool wordnet = false;          // entries in WordNet's layout become senses by part of speech
                                   // with their references as links (wordnet_entry.h)
    Progress *progress = nullptr;  // told the part of the index read; may cancel
};

// What became of the index lines that name entries (dictd's own 00-database lines are
// not counted): every entry is either a record or skipped with a warning.
struct DictdImportCounts {
    std::size_t entries = 0;
    std::size_t records = 0;
    std::size_t skipped = 0;
    // Of the skipped: headwords with a character outside Windows-1252 (a script that the
    // search keys cannot hold), and the first of them.
    std::size_t foreignScript = 0;
    std::string firstForeign;
    // Bad index lines (errors in diag): the first one's number, and whether it points
    // beyond the end of the text (a truncated text file).
    int firstBadLine = 0;
    bool beyondText = false;
    // The dictionary's own short description (dictd's "00-database-short"), if any.
    std::string shortName;
    // The paragraph after "Availability:" in its long description ("00-database-info", as
    // FreeDict writes its licence there), as one line; empty without one.
    std::string availability;
};

// A dictionary's word as a headword or key of the source: control characters (DEL too),
// which the source refuses, as blanks.
std::string WithoutControls(std::string_view text);

// Whether a word (without control characters) can be a headword or key of the source:
// it is not blank, has a Windows-1252 form and holds no marker of the result table.
bool UsableWord(const std::string &utf8);

// Records a headword that cannot be an entry because of a character outside Windows-1252.
void CountForeign(DictdImportCounts &counts, const std::string &headword);

// Where an index entry's text lies in the dictionary's text.
struct TextRange {
    std::uint64_t offset = 0, size = 0;
    bool operator==(const TextRange &) const = default;
};
struct TextRangeHash {
    std::size_t operator()(const TextRange &r) const {
        return std::hash<std::uint64_t>()(r.offset * 0x9E3779B97F4A7C15u ^ r.size);
    }
};
inline constexpr std::uint32_t kNoNext = 0xFFFFFFFFu;

// Visits the index entries grouped by the text they name, each group in index order, the
// groups in the order of their first entries.
void ForEachSameTextGroup(const std::vector<TextRange> &ranges,
                          const std::function<void(const std::vector<std::uint32_t> &)> &visit);

// Of the spellings under which one text is listed (UTF-8), the one to show as its
// headword: the first with the most letters outside ASCII ("RAPIÉCER", not "RAPIECER").
std::size_t ArticleWord(const std::vector<std::string> &words);

// One record with the keyword and, as keys, every other of the words, each once.
std::string RecordOfWords(const std::string &keyword, const std::vector<std::string> &words,
                          const std::string &dir, const std::vector<std::string> &bodyLines);

// Converts a whole dictd dictionary into source text. Lines that cannot be used are
// reported in diag (errors: a broken index line or a range outside the text; warnings:
// a skipped entry - a headword without Windows-1252 form, or, in the FreeDict or WordNet
// layout, an entry without translation or definition).
std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const DictdImportOptions &options, Diagnostics &diag,
                        DictdImportCounts *counts = nullptr);

// Each record of source text (FormatRecord's, ending in a blank line) as it is made.
using RecordSink = std::function<void(const std::string &record)>;

// The first lines of an imported source, before its records.
inline constexpr std::string_view kDictdSourceHeader =
    "# Imported from a dictd dictionary by lexqc import-dictd.\n\n";

// The same, handing each record on as it is made instead of the whole text.
void ImportDictdRecords(std::string_view indexText, std::string_view dictText,
                        const DictdImportOptions &options, Diagnostics &diag,
                        DictdImportCounts *counts, const RecordSink &emit);

// The same with the plain paragraph layout.
std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const std::string &dir, Diagnostics &diag);

}  // namespace books
