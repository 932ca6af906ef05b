// Dutch regular inflection, undone. The spelling rules that matter: a long vowel is written
// once in an open syllable (straat - straten), a short one closes its syllable by doubling
// the consonant (kat - katten), and a final f or s is v or z between vowels (brief -
// brieven, huis - huizen); the weak past takes -te after a voiceless stem ('t kofschip),
// else -de.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "WordFormRules.h"

namespace wordrules {
namespace {

using Out = std::vector<std::string>;

bool IsVowelByte(char c) {
    // Bytes of accented letters (é, ë, ï ...) are vowels in every Dutch word.
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y' ||
           static_cast<std::uint8_t>(c) >= 0x80;
}

// The j of "ij" is part of a vowel.
bool IsVowelAt(std::string_view s, std::size_t k) {
    return IsVowelByte(s[k]) || (s[k] == 'j' && k > 0 && s[k - 1] == 'i');
}

bool IsConsonantAt(std::string_view s, std::size_t k) {
    return s[k] >= 'a' && s[k] <= 'z' && !IsVowelAt(s, k);
}

bool HasVowel(std::string_view s) {
    for (std::size_t k = 0; k < s.size(); ++k)
        if (IsVowelAt(s, k))
            return true;
    return false;
}

// Start of the run of vowels that ends just before end.
std::size_t VowelRunStart(std::string_view s, std::size_t end) {
    while (end > 0 && IsVowelAt(s, end - 1))
        --end;
    return end;
}

bool IsPlainVowel(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

char Devoice(char c) {
    return c == 'z' ? 's' : c == 'v' ? 'f' : c;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

std::string Cut(std::string_view s, std::size_t suffixLength) {
    return std::string(s.substr(0, s.size() - suffixLength));
}

// A base needs two letters and a vowel; anything else is noise from a rule.
void Add(Out &out, std::string candidate) {
    if (candidate.size() >= 2 && HasVowel(candidate))
        out.push_back(std::move(candidate));
}

constexpr std::array<std::string_view, 7> kInseparable = {"be",  "ge", "ver", "ont",
                                                          "her", "er", "mis"};

// The part after an unstressed prefix, to tell "teken" (two syllables, stress on the
// first) from "bestel" (stress on the last).
std::string_view WithoutUnstressedPrefix(std::string_view s) {
    for (const std::string_view prefix : kInseparable)
        if (prefix != "mis" && s.size() > prefix.size() && StartsWith(s, prefix))
            return s.substr(prefix.size());
    return s;
}

// The singular or the plain adjective, from what is left after -en, -e or -er came off.
void RestoreStem(std::string_view s, Out &out) {
    const std::size_t n = s.size();
    if (n < 2 || !IsConsonantAt(s, n - 1)) {
        Add(out, std::string(s));  // mooi(e), ei(eren)
        return;
    }
    const char last = s[n - 1];
    if (s[n - 2] == last) {  // kat-t-en, wit-t-e, quiz-z-en
        Add(out, Cut(s, 1));
        return;
    }
    const std::size_t run = VowelRunStart(s, n - 1);
    std::string devoiced = Cut(s, 1) + Devoice(last);
    if (n - 1 - run == 1 && s[run] != 'i' && IsPlainVowel(s[run])) {
        // One vowel letter in an open syllable is a long vowel: strat-en -> straat,
        // kaz-en -> kaas. Only an unstressed e keeps its spelling: engel-en.
        const char vowel = s[run];
        Add(out, std::string(s.substr(0, run)) + vowel + vowel + Devoice(last));
        if (vowel == 'e' && HasVowel(s.substr(0, run)))
            Add(out, std::move(devoiced));
        return;
    }
    Add(out, std::move(devoiced));  // huiz-en -> huis, briev-en -> brief, hand-en, monnik-en
}

void Diminutive(std::string_view w, Out &out) {
    std::string_view d = w;
    if (EndsWith(d, "jes"))
        d.remove_suffix(1);
    if (!EndsWith(d, "je") || d.size() < 5)
        return;
    if (EndsWith(d, "etje")) {  // mann-etje, ring-etje
        const std::string s = Cut(d, 4);
        const std::size_t n = s.size();
        Add(out, n >= 2 && s[n - 1] == s[n - 2] ? Cut(s, 1) : s);
    }
    if (EndsWith(d, "tje")) {  // wiel-tje, auto-otje
        const std::string s = Cut(d, 3);
        Add(out, s);
        const std::size_t n = s.size();
        if (n >= 3 && s[n - 1] == s[n - 2] && IsPlainVowel(s[n - 1]))
            Add(out, Cut(s, 1));
    }
    if (EndsWith(d, "mpje"))  // boom-pje, bezem-pje (but hap-je, kop-je)
        Add(out, Cut(d, 3));
    if (EndsWith(d, "nkje"))  // konin-kje -> koning
        Add(out, Cut(d, 3) + "g");
    const std::string s = Cut(d, 2);  // huis-je, kop-je
    Add(out, s);
    // glaas-je -> glas, blaad-je -> blad: the vowel is long only in the diminutive.
    const std::size_t n = s.size();
    if (n >= 4 && IsConsonantAt(s, n - 1) && s[n - 2] == s[n - 3] && IsPlainVowel(s[n - 2]) &&
        !IsVowelAt(s, n - 4))
        Add(out, s.substr(0, n - 2) + s.substr(n - 1));
}

// Participles ending in -t or -d: ge-werk-t, ge-leef-d, be-taal-d, op-ge-bel-d.
void WeakParticiple(std::string_view w, Out &out) {
    const std::size_t n = w.size();
    if (n < 4 || (w.back() != 't' && w.back() != 'd'))
        return;
    const Voicing voicing = w.back() == 'd' ? Voicing::Voiced : Voicing::Voiceless;
    if (StartsWith(w, "ge") && n >= 5) {
        DutchInfinitives(w.substr(2, n - 3), voicing, out);
        DutchInfinitives(w.substr(2), Voicing::Unknown, out);  // ge-zet, ge-praat
    }
    for (const std::string_view prefix : kInseparable) {
        if (n > prefix.size() + 2 && StartsWith(w, prefix)) {
            DutchInfinitives(w.substr(0, n - 1), voicing, out);
            DutchInfinitives(w, Voicing::Unknown, out);  // verwacht
            break;
        }
    }
}

}  // namespace

bool IsDutchInseparablePrefix(std::string_view prefix) {
    for (const std::string_view p : kInseparable)
        if (p == prefix)
            return true;
    return false;
}

bool IsDutchSeparablePrefix(std::string_view prefix) {
    static constexpr std::array<std::string_view, 36> kSeparable = {
        "aan",    "achter", "achterna", "achterom", "achterop", "achteruit", "af",    "bij",
        "binnen", "buiten", "dicht",    "door",     "heen",     "in",        "langs", "los",
        "mee",    "mis",    "na",       "neer",     "om",       "onder",     "op",    "open",
        "over",   "rond",   "samen",    "tegen",    "terug",    "thuis",     "toe",   "uit",
        "vast",   "voor",   "vooruit",  "weg"};
    for (const std::string_view p : kSeparable)
        if (p == prefix)
            return true;
    return false;
}

void DutchInfinitives(std::string_view s, Voicing voicing, Out &out) {
    const std::size_t n = s.size();
    if (n == 0 || !HasVowel(s))
        return;
    // Dutch writes a stem's last v or z as f or s (ik leef, ik huis): "huiz" is no stem
    // but a slip for "huis". A doubled one is a loan's (jazz -> jazzen).
    if (n >= 2 && (s[n - 1] == 'v' || s[n - 1] == 'z') && s[n - 2] != s[n - 1])
        return;
    const std::string stem(s);
    if (!IsConsonantAt(s, n - 1)) {
        const std::size_t run = VowelRunStart(s, n);
        const std::string_view vowels = s.substr(run);
        if (vowels.size() == 1 && (vowels == "a" || vowels == "o" || vowels == "u"))
            Add(out, stem + vowels[0] + "n");  // ga -> gaan, sta -> staan
        else if (vowels == "aa" || vowels == "ie" || vowels == "oe")
            Add(out, stem + "n");  // gaa(t) -> gaan, zie -> zien, doe -> doen
        else if (vowels.size() >= 2 && (vowels.back() == 'i' || vowels.back() == 'j'))
            Add(out, stem + "en");  // rui -> ruien, gooi -> gooien, vrij -> vrijen
        return;
    }
    std::size_t consonants = 0;
    while (consonants < n && IsConsonantAt(s, n - 1 - consonants))
        ++consonants;
    const std::size_t run = VowelRunStart(s, n - consonants);
    const std::size_t vowels = n - consonants - run;
    const char last = s[n - 1];

    // The final letters the infinitive may have, most likely first.
    std::string finals(1, last);
    if (last == 'f' || last == 's') {
        const char voiced = last == 'f' ? 'v' : 'z';
        const bool longBefore =
            consonants == 1
                ? vowels >= 2
                : consonants == 2 && (s[n - 2] == 'l' || s[n - 2] == 'r' || s[n - 2] == 'n');
        if (voicing == Voicing::Voiced)
            finals = std::string(1, voiced);
        else if (voicing == Voicing::Unknown && longBefore)
            finals = std::string{voiced, last};
    }
    const std::string body = Cut(s, 1);
    if (consonants == 1 && vowels == 2 && s[run] == s[run + 1] && s[run] != 'i') {
        // A long vowel before one consonant is written once before -en: loop -> lopen.
        const std::string shortened = std::string(s.substr(0, run + 1));
        for (const char f : finals)
            Add(out, shortened + f + "en");
        return;
    }
    if (consonants == 1 && vowels == 1 && IsPlainVowel(s[run])) {
        // A short vowel doubles the consonant (zit -> zitten; a stem "har" never gives
        // "haren", which is "haar"), unless the syllable is unstressed (teken -> tekenen,
        // verdedig -> verdedigen), where doubling is the unlikelier reading.
        const bool unstressed =
            (s[run] == 'e' || s[run] == 'i') && HasVowel(WithoutUnstressedPrefix(s.substr(0, run)));
        if (unstressed)
            Add(out, stem + "en");
        Add(out, stem + last + "en");
        return;
    }
    for (const char f : finals)  // werk -> werken, reis -> reizen, schrijf -> schrijven
        Add(out, body + f + "en");
}

void DutchRuleCandidates(std::string_view w, bool guessStem, Out &out) {
    const std::size_t n = w.size();
    const auto cut = [&](std::size_t k) { return Cut(w, k); };
    if (n < 3)
        return;

    if (EndsWith(w, "heden"))  // mogelijkheden -> mogelijkheid
        Add(out, cut(5) + "heid");
    if (EndsWith(w, "lieden"))  // timmerlieden -> timmerman
        Add(out, cut(6) + "man");
    else if (EndsWith(w, "lui") && n > 5)
        Add(out, cut(3) + "man");
    Diminutive(w, out);
    if (EndsWith(w, "\xC3\xABn")) {  // -ën: ideeën, knieën, provinciën
        const std::string s = cut(3);
        if (EndsWith(s, "i") && !EndsWith(s, "ie"))
            Add(out, s + "e");
        Add(out, s);
    }
    if (EndsWith(w, "'s"))  // auto's, baby's
        Add(out, cut(2));
    if (EndsWith(w, "ste") && n > 5)  // mooiste, grootste
        Add(out, cut(3));
    if (EndsWith(w, "eren") && n > 5)  // kinderen, eieren, volkeren
        Add(out, cut(4));
    if (EndsWith(w, "en") && n > 3) {  // straten, huizen, katten, handen
        RestoreStem(cut(2), out);
        if (n > 4 && !IsVowelAt(w, n - 3))
            Add(out, cut(1));  // ziekte-n, gedachte-n
    }
    // An inflected adjective never doubles a d (rode, goede): -dde is a past (landde).
    if (EndsWith(w, "e") && !EndsWith(w, "dde") && n > 3) {  // grote, lieve, dikke; gekookte
        RestoreStem(cut(1), out);
        WeakParticiple(cut(1), out);
    }
    if (EndsWith(w, "rdere"))  // duurdere
        Add(out, cut(4));
    else if (EndsWith(w, "rder"))  // duurder, verder
        Add(out, cut(3));
    if (EndsWith(w, "ere") && n > 5)  // grotere
        RestoreStem(cut(3), out);
    else if (EndsWith(w, "er") && n > 4)  // groter, dikker
        RestoreStem(cut(2), out);
    for (const std::string_view past : {"ten", "den", "te", "de"}) {
        if (EndsWith(w, past) && n >= past.size() + 2) {
            DutchInfinitives(w.substr(0, n - past.size()),
                             past[0] == 'd' ? Voicing::Voiced : Voicing::Voiceless, out);
            break;
        }
    }
    WeakParticiple(w, out);
    // After the past: "tekende" is teken-de far more often than tekenen-de.
    if (EndsWith(w, "ende") && n > 5)  // lopende
        Add(out, cut(2));
    else if (EndsWith(w, "end") && n > 4)
        Add(out, cut(1));
    if (EndsWith(w, "t") && n > 3)  // werkt, leest
        DutchInfinitives(w.substr(0, n - 1), Voicing::Unknown, out);
    if (EndsWith(w, "s") && !EndsWith(w, "'s") && n > 3)  // tafels, cafés
        Add(out, cut(1));
    if (StartsWith(w, "ge") && EndsWith(w, "en") && n > 6)  // gevallen -> vallen
        Add(out, std::string(w.substr(2)));
    if (EndsWith(w, "ici"))  // musici, politici
        Add(out, cut(1) + "us");
    else if (EndsWith(w, "i") && n > 4)  // catalogi
        Add(out, cut(1) + "us");
    if (EndsWith(w, "a") && n > 3)  // musea, centra
        Add(out, cut(1) + "um");
    if (EndsWith(w, "ste") && n > 5)  // wijste -> wijs
        Add(out, cut(2));
    if (EndsWith(w, "st") && n > 4) {  // mooist, wijst
        Add(out, cut(2));
        Add(out, cut(1));
    }
    if (guessStem)  // loop -> lopen, zit -> zitten
        DutchInfinitives(w, Voicing::Unknown, out);
}

}  // namespace wordrules
