// Lingvo DSL dictionaries: one text file (".dsl", or ".dsl.dz" compressed) of "#" header
// lines and cards, each card one or more headword lines followed by indented body lines
// in a markup of square-bracket tags; an abbreviations file ("NAME_abrv.dsl") beside it
// explains the [p] labels. Read into the source format; every line and nesting is bounded
// and a damaged file is refused with a Dutch message naming the file and the line.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "books/diagnostics.h"
#include "books/dictd_import.h"
#include "books/progress.h"

namespace books {

// The header lines of a DSL file, UTF-8, without their quotation marks.
struct DslInfo {
    std::string name;              // #NAME
    std::string indexLanguage;     // #INDEX_LANGUAGE, as written ("English")
    std::string contentsLanguage;  // #CONTENTS_LANGUAGE
};

// A DSL file's bytes as UTF-8: UTF-16 (little- or big-endian) or UTF-8 by its byte-order
// mark, else by its zero bytes, else UTF-8 when it is valid, else the code page its
// header names (#SOURCE_CODE_PAGE or #CODEPAGE, or by its languages: Windows-1251 for
// Cyrillic, 1250 Central European, 1253 Greek, 1254 Turkish, 1257 Baltic; otherwise
// Windows-1252). Never fails: an unpaired surrogate, or a byte its code page lacks, becomes
// U+FFFD.
std::string DecodeDslText(std::string bytes);

// The ISO 639-1 code of a language as DSL headers name it ("English", "GermanNewSpelling"):
// "en", "de"; empty for one we do not know.
std::string DslLanguageCode(std::string_view language);

// A headword line: the text shown (escapes undone, "{...}" kept as text, tags dropped) and
// the texts it is found by: without the "{...}" parts, and for every "(...)" optional part
// both with and without it (the first four such parts; later ones stay as they are).
struct DslHeadword {
    std::string shown;
    std::vector<std::string> keys;
};
DslHeadword ParseDslHeadword(std::string_view line);

// Abbreviation to its explanation, both plain UTF-8 text, from an abbreviations file's
// cards (its first body line explains its headwords).
using DslAbbreviations = std::unordered_map<std::string, std::string>;
DslAbbreviations ParseDslAbbreviations(std::string_view utf8);

// One body line (without its leading blanks) as HTML: the indent [mN] as the line's
// class "mN", the tags as elements with classes of the book's stylesheet, [p] labels
// with their explanation as a tooltip, cross-references as links that search, "~" as the
// headword, media as a note; unknown tags stay as text, nesting is cut at a fixed depth.
std::string DslLineHtml(std::string_view line, std::string_view headword,
                        const DslAbbreviations &abbreviations);

// The stylesheet rules of the classes DslLineHtml writes; the [c] colours are mapped to
// a few of the page's own, which dark reading turns round like the book's other colours.
extern const char *const kDslStyle;

// The header of a DSL file (plain or compressed) from its first 64 KiB: the book's name
// and direction before its cards are read. Fields it does not give stay empty.
DslInfo ReadDslHeader(const std::string &file);

// The files of one DSL dictionary; abbreviations empty when there is none.
struct DslFiles {
    std::string dsl, abbreviations;
};

// Reads the dictionary and hands each card on as a record of source text; headwords
// without a Windows-1252 form or without letters are skipped with a warning and counted.
void ImportDslRecords(const DslFiles &files, Diagnostics &diag, DictdImportCounts &counts,
                      DslInfo &info, Progress *progress, const RecordSink &emit);

inline constexpr std::string_view kDslSourceHeader =
    "# Imported from a DSL dictionary by lexqc add.\n\n";

}  // namespace books
