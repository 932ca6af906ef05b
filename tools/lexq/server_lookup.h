// lexq on a book whose entries a DICT server holds: the definitions of each word as
// text, the type-ahead list through MATCH prefix, and "Bedoelde u:" through MATCH lev when
// the server has that strategy.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "books/dict_client.h"
#include "options.h"

class TLXABook;

namespace lexq {

// Returns the exit status; a server that fails gives its one Dutch line on err.
// The definitions of the word in a server book, waited for; the Dutch line when it failed
// (empty for an answer or a miss).
std::string ServerDefinitions(const TLXABook &book, const std::string &word,
                              const books::dict::ClientOptions &client,
                              std::vector<books::dict::Definition> &definitions);
// The client's options for this run: the reply time of --timeout, else of
// LEXQ_DICT_TIMEOUT_MS (milliseconds), else of the user's setting.
books::dict::ClientOptions ServerOptions(const TOptions &options);
// Their text as lexq prints it: one definition after the other, a blank line between.
std::string DefinitionsText(const std::vector<books::dict::Definition> &definitions);

int RunServerLookup(const TLXABook &book, const TOptions &options, std::ostream &out,
                    std::ostream &err);

}  // namespace lexq
