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

// The two kinds of book file: Windows-1252 texts and keys of the letters A to Z (the first
// kind, made whenever every headword, direction and key fits the code page), or UTF-8
// texts and keys by the rule of searchlib/foldtable_utf8.h (the second kind).
enum class TextKind { Cp1252, Utf8 };

// One entry, its texts already in its book's encoding (Windows-1252 unless parsed for a
// UTF-8 book).
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
// For a UTF-8 book the texts stay UTF-8 (a character the code page lacks is no error).
std::vector<SourceEntry> ParseSource(std::string_view utf8, Diagnostics &diag, int linesBefore = 0,
                                     TextKind kind = TextKind::Cp1252);

// Whether an entry parsed for a UTF-8 book has a headword, direction or key that
// Windows-1252 cannot hold (bodies can: they take references).
bool NeedsUtf8(const SourceEntry &utf8Entry);

// The kind of book a source makes: UTF-8 when any of its entries needs it.
TextKind SourceTextKind(std::string_view utf8);

// Reads and parses a source file; throws InputError on any error. With kind, the source
// is parsed for the kind of book it makes, which *kind receives; else for Windows-1252.
std::vector<SourceEntry> ReadSourceFile(const std::string &path, Diagnostics &diag,
                                        TextKind *kind = nullptr);
// The same, parsed for the kind given (a UTF-8 book can hold any source).
std::vector<SourceEntry> ReadSourceFileAs(const std::string &path, Diagnostics &diag,
                                          TextKind kind);

// One record in source form (UTF-8 in, UTF-8 out), escaping body lines that would
// otherwise read as headers, comments or record ends. Ends with a blank line.
std::string FormatRecord(std::string_view headword, std::string_view dir,
                         const std::vector<std::string> &keys,
                         const std::vector<std::string> &bodyLines);

}  // namespace books
