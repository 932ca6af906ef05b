// Reading a card file back into word-list entries: the Anki notes and the CSV table that
// CardFile.h writes, and such files as a person or a spreadsheet saved them again. The
// bytes come from outside and are trusted in nothing: every field is bounded by the input,
// and a file that is not UTF-8 or has no usable columns is refused with a Dutch reason.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "viewer/wordlist/WordEntry.h"

namespace wordlist {

struct TCardImport {
    std::vector<TWordEntry> Entries;  // List is left empty: the caller chooses the list
    std::size_t Skipped = 0;          // notes without a headword
    std::string Error;                // Dutch; empty on success
};

// Recognises the format by its first line: Anki's header lines ("#...") or a CSV header
// row with "Trefwoord"; otherwise tab-separated notes without headers.
TCardImport ReadCardFile(std::string_view bytes);

// Splits delimited text into records of fields, with fields in quotation marks as both
// formats write them; records of only blanks are dropped.
std::vector<std::vector<std::string>> SplitRecords(std::string_view text, char separator);

// The text of an entry's HTML: tags dropped, line breaks at blocks, the common entities
// decoded.
std::string HtmlToPlain(std::string_view html);

}  // namespace wordlist
