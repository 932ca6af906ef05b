// English regular inflection, undone: -s/-es/-ies, -ed/-ied, -ing, -er/-est with their
// doubled consonants (stopped) and dropped e (hoped), and a few derivations users look up
// through their base (-men, -ly).
#include <string>
#include <string_view>

#include "WordFormRules.h"

namespace wordrules {
namespace {

using Out = std::vector<std::string>;

bool IsVowel(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}
bool IsConsonant(char c) {
    return c >= 'a' && c <= 'z' && !IsVowel(c);
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string Cut(std::string_view s, std::size_t suffixLength) {
    return std::string(s.substr(0, s.size() - suffixLength));
}

void Add(Out &out, std::string candidate) {
    if (candidate.size() >= 2)
        out.push_back(std::move(candidate));
}

int VowelGroups(std::string_view s) {
    int groups = 0;
    for (std::size_t k = 0; k < s.size(); ++k)
        if (IsVowel(s[k]) && (k == 0 || !IsVowel(s[k - 1])))
            ++groups;
    return groups;
}

// The base for what is left after -ed, -ing, -er or -est came off.
void StemVariants(std::string_view s, Out &out) {
    const std::size_t n = s.size();
    if (n < 2)
        return;
    const char last = s[n - 1];
    const std::string stem(s);
    if (n >= 3 && last == s[n - 2] && IsConsonant(last)) {
        // stopp-ed -> stop; but call-ed, kiss-ed keep the pair.
        const bool pairIsBase = last == 'l' || last == 's' || last == 'f' || last == 'z';
        Add(out, pairIsBase ? stem : Cut(s, 1));
        Add(out, pairIsBase ? Cut(s, 1) : stem);
        return;
    }
    const bool shortSyllable = IsConsonant(last) && last != 'w' && last != 'x' && last != 'y' &&
                               IsVowel(s[n - 2]) && (n == 2 || !IsVowel(s[n - 3]));
    if (shortSyllable && VowelGroups(s) == 1) {
        Add(out, stem + "e");  // hop-ed -> hope, us-ed -> use
        Add(out, stem);
        return;
    }
    // bath/bathe, breath/breathe: the verb is the one with e.
    const bool verbWithE = n >= 3 && s.substr(n - 2) == "th";
    if (!verbWithE)
        Add(out, stem);  // walk-ed, open-ed, see-ing
    if (last != 'e')
        Add(out, stem + "e");  // danc-ed -> dance, argu-ed -> argue
    if (verbWithE)
        Add(out, stem);
    if (n >= 5 && s.substr(n - 3) == "ick")
        Add(out, Cut(s, 1));  // picnick-ed -> picnic
}

}  // namespace

void EnglishRuleCandidates(std::string_view w, Out &out) {
    const std::size_t n = w.size();
    const auto cut = [&](std::size_t k) { return Cut(w, k); };
    if (n < 3)
        return;
    if (EndsWith(w, "'s")) {  // the dog's
        Add(out, cut(2));
        EnglishRuleCandidates(cut(2), out);
        return;
    }
    if (EndsWith(w, "s'")) {  // the dogs'
        Add(out, cut(1));
        EnglishRuleCandidates(cut(1), out);
        return;
    }

    if (EndsWith(w, "ies") && n > 4)  // cities
        Add(out, cut(3) + "y");
    if (EndsWith(w, "ves") && n > 4) {  // gloves, wolves, knives
        Add(out, cut(1));
        Add(out, cut(3) + "f");
        Add(out, cut(3) + "fe");
    } else if (EndsWith(w, "es") && n > 3) {
        const std::string s = cut(2);
        const bool sibilant = EndsWith(s, "ch") || EndsWith(s, "sh") || EndsWith(s, "ss") ||
                              EndsWith(s, "x") || EndsWith(s, "z") ||
                              (EndsWith(s, "o") && n > 5);  // heroes, but toes, shoes
        if (EndsWith(s, "zz"))                              // quizzes
            Add(out, Cut(s, 1));
        if (sibilant) {  // boxes, watches, heroes
            Add(out, s);
            Add(out, cut(1));
        } else {  // cases, buses
            Add(out, cut(1));
            Add(out, s);
        }
    } else if (EndsWith(w, "s") && !EndsWith(w, "ss")) {
        Add(out, cut(1));
    }

    if (EndsWith(w, "ied") && n > 4)  // carried
        Add(out, cut(3) + "y");
    else if (EndsWith(w, "ed") && n > 3)  // stopped, hoped, walked
        StemVariants(cut(2), out);

    if (EndsWith(w, "ying") && n > 4)  // lying, dying
        Add(out, cut(4) + "ie");
    if (EndsWith(w, "ing") && n > 4)  // running, making, seeing
        StemVariants(cut(3), out);

    if (EndsWith(w, "iest") && n > 5)  // happiest
        Add(out, cut(4) + "y");
    else if (EndsWith(w, "est") && n > 4)  // biggest, nicest
        StemVariants(cut(3), out);
    if (EndsWith(w, "ier") && n > 4)  // happier
        Add(out, cut(3) + "y");
    else if (EndsWith(w, "er") && n > 3)  // bigger, nicer
        StemVariants(cut(2), out);

    if (EndsWith(w, "men") && n > 4)  // firemen
        Add(out, cut(3) + "man");

    // Latin and Greek plurals: tibiae, stimuli, minima, metamorphoses.
    if (EndsWith(w, "ae") && n > 4)
        Add(out, cut(1));
    else if (EndsWith(w, "i") && n > 4)
        Add(out, cut(1) + "us");
    else if (EndsWith(w, "a") && n > 4)
        Add(out, cut(1) + "um");
    if (EndsWith(w, "ses") && n > 5)
        Add(out, cut(2) + "is");

    if (EndsWith(w, "ily") && n > 4) {  // happily
        Add(out, cut(3) + "y");
    } else if (EndsWith(w, "ly") && n > 4) {
        Add(out, cut(2));  // quickly
        if (EndsWith(w, "ally"))
            Add(out, cut(4));  // basically
        if (IsConsonant(w[n - 3]))
            Add(out, cut(1) + "e");  // simply -> simple
    }
}

}  // namespace wordrules
