// lexq and the user's word list: --star keeps the entries a lookup printed, --list-words
// and --export-anki read the list back.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "options.h"
#include "viewer/wordlist/WordStore.h"

class TLXASearchResults;

namespace lexq {

// Opens the user's list, reporting a damaged file set aside (or no list) on err.
std::unique_ptr<wordlist::TWordStore> OpenWordList(std::ostream &err);

// Keeps every hit of a lookup of typed in the list (the base form when the fallback found
// the hits through it); reports on err how many were new. False on a failure (reported).
bool StarHits(wordlist::TWordStore &store, const std::string &list, const std::string &book,
              const TLXASearchResults &hits, const std::string &typed, const std::string &base,
              std::ostream &err);

// --list-words and --export-anki; the exit status.
int RunWordList(const TOptions &options, std::ostream &out, std::ostream &err);

}  // namespace lexq
