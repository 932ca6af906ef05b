// The layout of WordNet's dictd entries (a headword line, then senses grouped by part of
// speech: "n 1: gloss; \"example\" [syn: {word}, {word}]", wrapped over indented lines)
// and its HTML form for the result page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace books {

struct WordnetSense {
    std::string gloss;                  // definition and examples, as written
    std::vector<std::string> synonyms;  // the {references} of "[syn: ...]"
    std::vector<std::string> antonyms;  // and of "[ant: ...]"
};

struct WordnetGroup {
    std::string partOfSpeech;  // "n", "v", "adj", "adv", or what the entry says
    std::vector<WordnetSense> senses;
};

struct WordnetEntry {
    std::string headword;
    std::vector<WordnetGroup> groups;
};

// Splits an entry text (UTF-8). Wrapped lines are joined with a blank, or without one
// after a line that ends in a hyphen ("dog-" + "iron").
WordnetEntry ParseWordnetEntry(std::string_view utf8);

// The body of a record, UTF-8, HTML-escaped; classes for the stylesheet:
//   <p class="head"><b class="hw">dog</b></p>
//   <p class="pos">noun</p><ol class="senses"><li>gloss <span class="ex">"..."</span>
//   <span class="xref">syn.: <a href="zoek:frump">frump</a></span></li></ol>
// A reference to the headword itself is left out of its lists.
std::vector<std::string> WordnetBodyLines(const WordnetEntry &entry);

}  // namespace books
