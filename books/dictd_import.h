// Import of dictd dictionaries (a ".index" file and its ".dict.dz" text) into the
// source format: each index line becomes one record with a simple HTML body.
#pragma once

#include <cstdint>
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
};

// A dictionary's word as a headword or key of the source: control characters (DEL too),
// which the source refuses, as blanks.
std::string WithoutControls(std::string_view text);

// Whether a word (without control characters) can be a headword or key of the source:
// it is not blank, has a Windows-1252 form and holds no marker of the result table.
bool UsableWord(const std::string &utf8);

// Records a headword that cannot be an entry because of a character outside Windows-1252.
void CountForeign(DictdImportCounts &counts, const std::string &headword);

// A headword such as "1000" or ".22" folds to no search key: nobody could find it.
// The words must have a Windows-1252 form.
bool HasSearchKey(const std::string &utf8Word, const std::vector<std::string> &keys);

// Converts a whole dictd dictionary into source text. Lines that cannot be used are
// reported in diag (errors: a broken index line or a range outside the text; warnings:
// a skipped entry - a headword without Windows-1252 form, or, in the FreeDict or WordNet
// layout, an entry without translation or definition).
std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const DictdImportOptions &options, Diagnostics &diag,
                        DictdImportCounts *counts = nullptr);

// The same with the plain paragraph layout.
std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const std::string &dir, Diagnostics &diag);

}  // namespace books
