// Spelling rules that undo regular inflection: from a typed form to the base forms it may
// come from ("straten" -> "straat", "gefietst" -> "fietsen", "carried" -> "carry").
// Rules know no words: they propose, most likely first, and the book decides. Their output
// may hold non-words and repeats; WordForms orders, dedupes and filters it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wordrules {

// The form the rules and tables work on: blanks trimmed, letters in lower case (ASCII and
// the Latin-1 letters), the ligature "ĳ" spelt "ij", the typographic apostrophe as "'".
// Empty for text that is not valid UTF-8.
std::string NormaliseWord(std::string_view utf8);

// Whether a word is worth the rules: letters and apostrophes, some hyphens or blanks.
bool LooksLikeWord(std::string_view word);

// How the kofschip rule fixes a stem's final f or s: after a past in -de or a participle in
// -d the infinitive has v or z (leefde -> leven), after -te or -t it keeps f or s (blafte ->
// blaffen); a present-tense -t tells nothing.
enum class Voicing { Unknown, Voiced, Voiceless };

// Infinitives a Dutch verb stem may have: "loop" -> "lopen", "zit" -> "zitten", "leef" ->
// "leven", "ga" -> "gaan", "teken" -> "tekenen". Appends to out, most likely first.
void DutchInfinitives(std::string_view stem, Voicing voicing, std::vector<std::string> &out);

// Base forms of a normalised Dutch word by the regular rules: plurals in -en/-s/-'s/-ën/
// -eren with their spelling changes, diminutives, comparatives and superlatives, inflected
// adjectives, weak past tenses and participles, present tense. Appends to out.
// guessStem: also read the word itself as a verb stem ("loop" -> "lopen"), a weak guess
// for words that have no entry at all.
void DutchRuleCandidates(std::string_view word, bool guessStem, std::vector<std::string> &out);

// Base forms of a normalised English word by the regular rules: -s/-es/-ies plurals and
// third persons, -ed/-ied, -ing, -er/-est, possessives, -men, -ly. Appends to out.
void EnglishRuleCandidates(std::string_view word, std::vector<std::string> &out);

// Prefixes of Dutch verbs. Separable ones stand before "ge" in a participle (opgebeld);
// inseparable ones take no "ge" (betaald, vergeten).
bool IsDutchSeparablePrefix(std::string_view prefix);
bool IsDutchInseparablePrefix(std::string_view prefix);

}  // namespace wordrules
