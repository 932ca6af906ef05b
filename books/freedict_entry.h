// The layout of FreeDict's dictd entries ("word /pronunciation/", then one sense per
// line, numbered "1. " when there are several) and its HTML form for the result page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace books {

struct FreedictEntry {
    std::string headword;       // as the entry spells it, "ĳ" already written "ij"
    std::string pronunciation;  // between the slashes, empty when the entry has none
    std::vector<std::string> senses;
    std::string partOfSpeech;  // "n" of a closing "<n>" (FreeDict's newer books), or empty
};

// Splits an entry text (UTF-8). Numbers in front of senses are dropped; the Dutch "ĳ"
// ligature becomes "ij" and Unicode hyphens "-" outside the pronunciation.
FreedictEntry ParseFreedictEntry(std::string_view utf8);

// The body of a record, UTF-8, HTML-escaped; classes for the stylesheet:
//   <p class="head"><b class="hw">huis</b> <span class="pron">/h.../</span> <i
//   class="pos">n</i></p> <ol class="senses"><li>house</li><li>family</li></ol>
// Characters outside Windows-1252 (the IPA) become references when the record is built.
std::vector<std::string> FreedictBodyLines(const FreedictEntry &entry);

// "ĳ"/"Ĳ" as "ij"/"IJ" and the Unicode hyphens U+2010/U+2011 as "-": the plain forms
// that a user types and that fold to search keys.
std::string PlainLetters(std::string_view utf8);

}  // namespace books
