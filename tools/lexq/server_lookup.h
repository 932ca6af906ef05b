// lexq on a book whose entries a DICT server holds: the definitions of each word as
// text, the type-ahead list through MATCH prefix, and "Bedoelde u:" through MATCH lev when
// the server has that strategy.
#pragma once

#include <ostream>

#include "options.h"

class TLXABook;

namespace lexq {

// Returns the exit status; a server that fails gives its one Dutch line on err.
int RunServerLookup(const TLXABook &book, const TOptions &options, std::ostream &out,
                    std::ostream &err);

}  // namespace lexq
