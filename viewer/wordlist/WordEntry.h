// One kept word: an entry as the user read it, in one of the user's lists. All texts are
// UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace wordlist {

// The list that --star and Ctrl+D add to when no other is named.
inline constexpr const char *kDefaultList = "Woordenlijst";

struct TWordEntry {
    std::int64_t Id = 0;   // the row in the file; 0 before it is stored
    std::string List;      // the list it is in (an entry in several lists is several rows)
    std::string Headword;  // as the book has it
    std::string Book;      // the catalogue's name of the book ("nl-en")
    std::string Html;      // the entry's text as shown, as HTML
    std::string Plain;     // the same as plain text
    std::string Typed;     // the word as the user typed it
    std::string BaseForm;  // the base form the fallback found it through; empty otherwise
    std::string Added;     // when it was added: "2026-12-09T18:09:32Z" (UTC)

    // The same entry of the same book, whatever list holds it.
    bool SameEntry(const TWordEntry &other) const {
        return Book == other.Book && Headword == other.Headword && Html == other.Html;
    }
};

// The time now as Added holds it.
std::string NowUtc();

}  // namespace wordlist
