// The hits of a search: runs lexq_search, checks and parses the returned HTML table into
// TLXASearchResult objects, orders them for display, and builds the result page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "books/keys.h"

// One hit: the five cells of one table row. Texts are Windows-1252.
class TLXASearchResult {
  public:
    // fluencyField: the current book's pronunciation cell (-1 without one); then parses.
    TLXASearchResult(const std::string &row, std::int32_t fluencyField);

    // Fills every field but FluencyField from the row text; raises ELXASearchResult.
    void ParseRow(const std::string &row);

    std::int32_t FluencyField = -1;
    std::string Body;           // cell 5, page markup (the pronunciation cut off for field 5)
    std::string Keyword;        // cell 3, never empty
    std::string LanguageDir;    // cell 4
    std::string SearchWord;     // cell 1, never empty
    std::string RowText;        // the row between "<tr>" and "</tr>"
    std::string Transcription;  // the text to pronounce, or empty
    std::string Translated;     // cell 2, the folded search key, never empty
    // The entry's other words (a StarDict synonym), as its book noted them at the start of
    // the body (see NotedKeyWords); ranked like the keyword.
    std::vector<std::string> KeyWords;
    bool Exact = false;  // from the book's list of words without letters
};

// The words an importer noted at the start of a body, "<!--keys zoek:W1 zoek:W2 -->"
// with each word UTF-8 and percent-encoded, in Windows-1252; words that have no
// Windows-1252 form are left out, and a body without the note has none.
std::vector<std::string> NotedKeyWords(std::string_view body);

// The line under which the hits that share only the letters of a typed text with digits or
// signs fold away: "Nog 101 artikelen met dezelfde letters".
std::string FoldedLine(std::size_t count);

// The hits of the last search, in display order; owns them.
class TLXASearchResults {
  public:
    TLXASearchResults();
    ~TLXASearchResults();
    TLXASearchResults(const TLXASearchResults &) = delete;
    TLXASearchResults &operator=(const TLXASearchResults &) = delete;

    void Clear();
    std::int32_t Count() const;
    // Raises ELXASearchResults for an index outside 0 to Count() - 1.
    TLXASearchResult &GetItem(std::int32_t index) const;

    // Runs the search and returns the number of hits; fluencyField is the current book's
    // pronunciation cell (-1 without one). Library statuses become dialogs; a corrupt table
    // raises ELXASearchResults or ELXASearchResult.
    std::int32_t Search(const std::string &text, std::int32_t fluencyField);
    void ParseTable(std::int32_t fluencyField);
    void OrderResults();
    // A text with digits or signs: the book's words without letters that it spells (or
    // that spell it without regard to case) join the hits first; when some hit's keyword
    // or such a word is the text, the hits that only share its letters fold away.
    void PutExactHitsFirst(std::int32_t fluencyField);
    // Leaves one hit of each text (body and direction) that several hits show alike.
    void DropRepeatedTexts();

    // The result page, lines joined by CR LF; no stylesheet line for an empty styleSheet.
    std::string BuildPage(const std::string &styleSheet) const;
    // The transcriptions of all hits that have one, joined by ".".
    std::string PronounceText() const;

    std::int32_t LastCode = 0;
    std::vector<std::unique_ptr<TLXASearchResult>> Items;
    // The hits folded away under FoldedLine, in display order; not counted.
    std::vector<std::unique_ptr<TLXASearchResult>> Folded;
    // The current book's words without letters (books/exact_words.h); set when it opens.
    std::vector<books::ExactWord> ExactWords;
    std::string SearchText;
    std::string RawTable;
};
