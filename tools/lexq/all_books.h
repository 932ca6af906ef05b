// lexq over several books at once (--all, or -d with a group's name): per book that has
// entries a line "== DISPLAY NAME ==" and its entries as a single book's lookup prints them,
// books in the viewer's all-books order; the merged type-ahead list for --prefix.
#pragma once

#include <ostream>

#include "options.h"

class TLXAData;
struct TBookGroup;

namespace lexq {

// Runs the lookups of the options in the group's books with the loaded search library;
// returns the exit status.
int RunAllBooks(const TLXAData &data, const TBookGroup &group, const TOptions &options,
                std::ostream &out, std::ostream &err);

}  // namespace lexq
