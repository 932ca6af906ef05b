// One run of lexq over the viewer's core: reads the catalogue beside the program, picks
// the book as the viewer would at start-up (without recording the choice), and prints
// each word's hits in the viewer's order as text or as the viewer's result page.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "options.h"

class TLXABook;
class TLXABooks;
class TLXASearchResults;

namespace lexq {

inline constexpr int kExitFound = 0;
inline constexpr int kExitNotFound = 1;
inline constexpr int kExitError = 2;

// Messages of the viewer go to err through its dialog seam; returns the exit status.
int RunLookup(const TOptions &options, std::ostream &out, std::ostream &err);

// Looks each word up in turn, under a heading of its own when there are several; the
// worst exit status.
int LookUpEach(const std::vector<std::string> &words, std::ostream &out, std::ostream &err,
               const std::function<int(const std::string &word)> &lookUp);

// One line per book: name, display name, installed, listed, current ("*").
void PrintBooks(std::ostream &out, const TLXABooks &books, const TLXABook *current);

// Every hit's body as text (its keyword when the body is empty), a blank line between hits.
std::string HitsAsText(const TLXASearchResults &results);

}  // namespace lexq
