// Card files written from a word list: notes for Anki's text import, and a CSV table for
// spreadsheets. Both are UTF-8; CardImport.h reads them back.
//
// Anki: one note a line, three fields separated by tabs, after header lines that tell its
// importer the separator, that the fields are HTML, the columns and which column holds the
// tags (Anki 2.1.54 and later read them; older versions skip them as comments):
//   #separator:tab / #html:true / #columns:Front<TAB>Back<TAB>Tags / #tags column:3
// Front: the headword and, where the user typed another form, that form below it in
// parentheses; Back: the entry's HTML; Tags: the book and the list, blanks made "_" (Anki
// separates tags by blanks). A field with a tab, a line break or a quotation mark is put
// in quotation marks with its own marks doubled.
//
// CSV (RFC 4180): a header row and one row per entry, comma-separated, CRLF line ends, a
// field with a comma, a quotation mark or a line break quoted the same way.
#pragma once

#include <string>
#include <vector>

#include "viewer/wordlist/WordEntry.h"

namespace wordlist {

inline constexpr const char *kAnkiColumns[] = {"Front", "Back", "Tags"};
inline constexpr const char *kCsvColumns[] = {"Trefwoord", "Getypt", "Grondvorm", "Woordenboek",
                                              "Lijst",     "Datum",  "Tekst",     "HTML"};

std::string AnkiNotes(const std::vector<TWordEntry> &entries);
std::string CsvTable(const std::vector<TWordEntry> &entries);

// The fields of one note as AnkiNotes writes them.
std::string AnkiFront(const TWordEntry &entry);
std::string AnkiTag(const std::string &text);
std::string EscapeHtml(const std::string &text);

// Whether the typed form is worth showing beside the headword: not empty and not the
// headword in other capitals.
bool TypedDiffers(const TWordEntry &entry);

// Writes the text to a file beside the target and renames it over the target, so that a
// reader never sees half a file; false with a Dutch message on failure.
bool WriteFileAtomically(const std::string &path, const std::string &text, std::string &error);

}  // namespace wordlist
