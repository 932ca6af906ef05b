// The rule that picks the dictionary to open, for the viewer's start and for lexq: the book
// the user named (or the alternative given with it), else the "MRU" book, else the first
// installed book in catalogue order. Each refusal shows its Dutch message.
#pragma once

#include <string>
#include <vector>

class TLXABook;
class TLXABooks;

// What happens when the named book is unknown or not installed (after its message).
enum class TRefusedName {
    TakeFirstInstalled,  // the viewer starts anyway
    TakeNone,            // a one-off lookup stops
};

// names: as typed (UTF-8, as the command line gives them); empty when none is named.
// names[0] is wanted; names[1], when given, is taken instead when names[0] is unknown or not
// installed; further names are ignored. Without names: the "MRU" setting under regKey when
// that book is installed, else the first installed book. Shows "... bestaat niet of is niet
// geïnstalleerd." (1, 3) or "... is niet geïnstalleerd." (1, 4) for a refused name, and, when
// reportNone, "Er is geen enkel woordenboek geïnstalleerd." (1, 5) when the result is none.
TLXABook *ChooseBook(const TLXABooks &books, const std::string &regKey,
                     const std::vector<std::string> &names, TRefusedName whenRefused,
                     bool reportNone);
