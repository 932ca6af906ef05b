// What the word finder adds to the result page: a line above the entries (the base form a
// typed word was found under, or another base form to look at) and the lines of "did you
// mean". Pages and words are Windows-1252 as the result list has them (references "&#N;"
// in a word standing for the characters beyond the code page of a UTF-8 book on the
// all-books page); a word becomes a link of the zoek: scheme (its UTF-8 percent-encoded),
// which the display turns into a search instead of following it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// "zoek:" and the word, UTF-8 and percent-encoded.
std::string SearchLink(const std::string &word);

// A text escaped as page markup, its references kept as the characters they stand for.
std::string EscapePageText(const std::string &text);

// The page with html put first in its body, on a line of its own.
std::string WithLineAbove(const std::string &page, const std::string &html);

// "'liep' is een vorm van 'lopen'.", plain text: the status line says it as well.
std::string BaseFormSentence(const std::string &typed, const std::string &base);
// That sentence as the line above the base form's entries.
std::string BaseFormLine(const std::string &typed, const std::string &base);
// "Zie ook: huis", the word a link that searches it.
std::string SeeAlsoLine(const std::string &word);
// "Bedoelde u:" and each word a link on a line of its own.
std::string SuggestionLines(const std::vector<std::string> &words);
// The same over several books: each word followed by its book's name (UTF-8) in brackets.
std::string SuggestionLines(const std::vector<std::string> &words,
                            const std::vector<std::string> &books);
