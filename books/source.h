// The dictionary source format (see FORMAT.md): reading it into entries, writing records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "books/diagnostics.h"

namespace books {

// An extra index key of an entry, Windows-1252, with the line it came from.
struct SourceKey {
    std::string text;
    int line = 0;
};

// One entry, its texts already in Windows-1252.
struct SourceEntry {
    int line = 0;          // the line of its "kw:"
    std::string headword;  // s1
    std::string dir;       // s2, may be empty
    std::string body;      // s3, HTML
    std::vector<SourceKey> keys;
};

// The first marker that the viewer cuts result rows and cells at ("</td>", "</tr>",
// "</table>") in a text, or empty: no text of an entry may hold one.
std::string_view TableMarkerIn(std::string_view text);

// Parses a whole UTF-8 source. Problems go to diag (errors are collected, not thrown);
// the entries of records without errors are returned in source order.
// A part of a longer source counts its lines after the linesBefore before it.
std::vector<SourceEntry> ParseSource(std::string_view utf8, Diagnostics &diag, int linesBefore = 0);

// Reads and parses a source file; throws InputError on any error.
std::vector<SourceEntry> ReadSourceFile(const std::string &path, Diagnostics &diag);

// One record in source form (UTF-8 in, UTF-8 out), escaping body lines that would
// otherwise read as headers, comments or record ends. Ends with a blank line.
std::string FormatRecord(std::string_view headword, std::string_view dir,
                         const std::vector<std::string> &keys,
                         const std::vector<std::string> &bodyLines);

}  // namespace books
