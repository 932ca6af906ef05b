#!/usr/bin/env python3
"""Makes the evaluation lists of inflected forms: nl.pairs and en.pairs, "form<TAB>base<TAB>kind".

English: every form comes from the grammar notes of Debian's dict-gcide ("[imp. & p. p.
{Stopped}; p. pr. & vb. n. {Stopping}]", "pl. {Mice}", "Compar. {Bigger}"), plus plurals and
third persons made by rule and accepted only when Hunspell's en_US gives their base as stem.
Dutch: forms made forward from the headwords of the book by the spelling rules, each accepted
only when Hunspell's nl knows the word (and, for nouns and adjectives, gives the headword as its
stem), plus the hand-made list nl-hand.pairs of irregular forms. Only pairs whose base is a
headword of the book are kept; a fixed seed picks the same sample every time.

    bench/wordfinder/make_pairs.py build/debug/data/sources
"""
import ctypes
import gzip
import random
import re
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
HUNSPELL_DIR = Path("/usr/share/hunspell")


class Speller:
    def __init__(self, name):
        self.lib = ctypes.CDLL("libhunspell-1.7.so.0")
        self.lib.Hunspell_create.restype = ctypes.c_void_p
        self.lib.Hunspell_create.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self.lib.Hunspell_spell.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
        self.lib.Hunspell_analyze.argtypes = [
            ctypes.c_void_p, ctypes.POINTER(ctypes.POINTER(ctypes.c_char_p)), ctypes.c_char_p]
        self.lib.Hunspell_free_list.argtypes = [
            ctypes.c_void_p, ctypes.POINTER(ctypes.POINTER(ctypes.c_char_p)), ctypes.c_int]
        self.h = self.lib.Hunspell_create(str(HUNSPELL_DIR / f"{name}.aff").encode(),
                                          str(HUNSPELL_DIR / f"{name}.dic").encode())

    def spell(self, word):
        return self.lib.Hunspell_spell(self.h, word.encode()) != 0

    def analyze(self, word):
        """[(stem, tag)] of a word."""
        out = ctypes.POINTER(ctypes.c_char_p)()
        n = self.lib.Hunspell_analyze(self.h, ctypes.byref(out), word.encode())
        result = []
        for i in range(n):
            line = out[i].decode()
            stem = re.search(r"(?:^|\s)st:(\S+)", line)
            tag = re.search(r"(?:^|\s)(?:ts|fl):(\S+)", line)
            if stem:
                result.append((stem.group(1), tag.group(1) if tag else ""))
        self.lib.Hunspell_free_list(self.h, ctypes.byref(out), n)
        return result


def headwords(src):
    words = set()
    for line in src.read_text(encoding="utf-8").splitlines():
        for tag in ("kw:", "key:"):
            if line.startswith(tag):
                words.add(line[len(tag):].strip().lower())
    return words


VOWELS = "aeiou"


def plain(word):
    return re.fullmatch(r"[a-zé-ü]+", word) is not None


# ---------------------------------------------------------------- Dutch, forward


def nl_stem_of_infinitive(inf):
    """lopen -> loop, zitten -> zit, leven -> leef, reizen -> reis; None when no -en."""
    if not inf.endswith("en") or len(inf) < 4:
        return None
    s = inf[:-2]
    if len(s) >= 2 and s[-1] == s[-2] and s[-1] not in VOWELS:
        s = s[:-1]
    elif (len(s) >= 2 and s[-1] not in VOWELS and s[-2] in "aeou"
          and (len(s) < 3 or s[-3] not in VOWELS)):
        # Open syllable: the vowel is long (lopen -> loop), unless an unstressed e.
        if not (s[-2] == "e" and re.search(r"[aeiou]", s[:-2])):
            s = s[:-1] + s[-2] + s[-1]
    voiced = s[-1] in "vz"
    s = s[:-1] + {"v": "f", "z": "s"}.get(s[-1], s[-1])
    return s, voiced, inf[-3]


def nl_verb_forms(inf):
    got = nl_stem_of_infinitive(inf)
    if not got:
        return []
    stem, voiced, before_en = got
    voiceless = (not voiced) and (stem.endswith("ch") or stem[-1] in "tkfsp" or stem[-1] == "x")
    past = "te" if voiceless else "de"
    forms = []
    if not stem.endswith("t"):
        forms.append((stem + "t", "verb-present"))
    forms.append((stem + past, "verb-past"))
    forms.append((stem + past + "n", "verb-past"))
    end = "t" if voiceless else "d"
    participle_end = "" if stem[-1] == end else end
    prefixed = re.match(r"(be|ge|ver|ont|her|er)", inf)
    if prefixed:
        forms.append((stem + participle_end, "verb-participle"))
    else:
        forms.append(("ge" + stem + participle_end, "verb-participle"))
        for sep in ("aan", "af", "op", "uit", "in", "mee", "weg", "toe", "terug", "door",
                    "over", "na", "voor", "bij", "om", "neer", "los", "vast"):
            if stem.startswith(sep) and len(stem) > len(sep) + 2:
                forms.append((sep + "ge" + stem[len(sep):] + participle_end, "verb-participle"))
    forms.append((stem + past, "verb-past"))
    return forms


def nl_noun_forms(word):
    forms = [(word + "en", "plural"), (word + "s", "plural"), (word + "'s", "plural")]
    if len(word) >= 3 and word[-1] not in VOWELS:
        if word[-2] in VOWELS and word[-3] not in VOWELS:
            forms.append((word + word[-1] + "en", "plural"))  # kat -> katten
        if word[-2] == word[-3] and word[-2] in "aeou":
            short = word[:-2] + {"s": "z", "f": "v"}.get(word[-1], word[-1])
            forms.append((short + "en", "plural"))  # straat -> straten, kaas -> kazen
        voiced = word[:-1] + {"s": "z", "f": "v"}.get(word[-1], word[-1])
        if voiced != word:
            forms.append((voiced + "en", "plural"))  # huis -> huizen
    if word.endswith("heid"):
        forms.append((word[:-4] + "heden", "plural"))
    for dim in ("je", "tje", "pje", "etje", "jes", "tjes", "pjes"):
        forms.append((word + dim, "diminutive"))
    if len(word) >= 3 and word[-2] in VOWELS and word[-3] not in VOWELS:
        forms.append((word + word[-1] + "etje", "diminutive"))
    return forms


def nl_adjective_forms(word):
    forms = []
    base = word
    if len(word) >= 3 and word[-1] not in VOWELS and word[-2] in VOWELS and word[-3] not in VOWELS:
        inflect = word + word[-1]  # dik -> dikk-e
    elif len(word) >= 3 and word[-2] == word[-3] and word[-2] in "aeou" and word[-1] not in VOWELS:
        inflect = word[:-2] + {"s": "z", "f": "v"}.get(word[-1], word[-1])  # groot -> grot-e
    else:
        inflect = word[:-1] + {"s": "z", "f": "v"}.get(word[-1], word[-1])
    forms.append((inflect + "e", "adjective"))
    forms.append((inflect + ("der" if word.endswith("r") else "er"), "comparative"))
    forms.append((inflect + ("dere" if word.endswith("r") else "ere"), "comparative"))
    forms.append((base + ("t" if base.endswith("s") else "st"), "superlative"))
    forms.append((base + ("te" if base.endswith("s") else "ste"), "superlative"))
    return forms


def dutch(book, speller, rng):
    words = sorted(w for w in book if plain(w) and len(w) >= 3)
    rng.shuffle(words)
    quota = {"plural": 110, "diminutive": 35, "adjective": 30, "comparative": 25,
             "superlative": 25, "verb-present": 35, "verb-past": 70, "verb-participle": 60}
    taken = {k: 0 for k in quota}
    pairs = []
    seen = set()
    for word in words:
        candidates = []
        if word.endswith("en"):
            candidates += nl_verb_forms(word)
        candidates += nl_noun_forms(word) + nl_adjective_forms(word)
        for form, kind in candidates:
            if taken[kind] >= quota[kind] or form in seen or form == word:
                continue
            if not speller.spell(form):
                continue
            analyses = speller.analyze(form)
            if kind.startswith("verb"):
                # The form must be read as a verb form; the Dutch dictionary lists participles whole.
                if kind != "verb-participle" and not any(t.startswith("VB") for _, t in analyses):
                    continue
            else:
                # Nouns must come back as the headword's plural or diminutive, adjectives
                # as one of its adjective forms.
                want = "NN" if kind in ("plural", "diminutive") else "AJ"
                if not any(stem == word and tag.startswith(want) for stem, tag in analyses):
                    continue
            seen.add(form)
            taken[kind] += 1
            pairs.append((form, word, kind))
        if all(taken[k] >= quota[k] for k in quota):
            break
    return pairs


# ---------------------------------------------------------------- English, from gcide

LABELS = [("p. pr. & vb. n.", "verb-ing"), ("imp. & p. p.", "verb-past"),
          ("imp.", "verb-past"), ("p. p.", "verb-participle"), ("pl.", "plural"),
          ("compar.", "comparative"), ("superl.", "superlative")]


def gcide_pairs():
    text = gzip.open("/usr/share/dictd/gcide.dict.dz", "rt", encoding="utf-8",
                     errors="replace").read()
    pairs = []
    head = re.compile(r"^([A-Z][a-z]+) \\[^\\]*\\[^\n]*", re.M)
    for m in head.finditer(text):
        base = m.group(1).lower()
        # The entry's first lines only, joined, without parenthesised asides (pronunciations,
        # "({Stroock}, Obs.)").
        snippet = text[m.start():m.start() + 400].split("\n\n")[0]
        snippet = re.sub(r"\s+", " ", "\n".join(snippet.split("\n")[:4]))
        snippet = re.sub(r"\([^)]*\)", "", snippet)
        bracket = re.search(r"(\[(?:imp|Compar)\.[^\]]*\]|n\.; pl\. \{[^}]*\})", snippet)
        if not bracket:
            continue
        grammar = bracket.group(1)
        for item in re.finditer(r"\{([A-Za-z]+)\}([^{;]*)", grammar):
            form, after = item.group(1).lower(), item.group(2)
            if re.search(r"Obs|obs\.|Archaic|R\.|Scot|Prov|Colloq|poetic", after):
                continue
            before = grammar[:item.start()].lower()
            label = max(((before.rfind(lab.lower()), kind) for lab, kind in LABELS),
                        default=(-1, None))
            if label[0] < 0 or form == base:
                continue
            pairs.append((form, base, label[1]))
    return pairs


def english(book, speller, rng):
    # Forms en_US does not know are archaic or dialect ones ("sware").
    mined = [p for p in gcide_pairs() if p[1] in book and speller.spell(p[0])]
    mined = sorted(set(mined))
    rng.shuffle(mined)
    quota = {"verb-past": 110, "verb-participle": 40, "verb-ing": 60, "plural": 60,
             "comparative": 30, "superlative": 30}
    taken = {k: 0 for k in quota}
    pairs, seen = [], set()
    for form, base, kind in mined:
        if form not in seen and taken[kind] < quota[kind]:
            seen.add(form)
            taken[kind] += 1
            pairs.append((form, base, kind))
    # Plurals and third persons by rule, where Hunspell gives the base as stem.
    words = sorted(w for w in book if plain(w) and len(w) >= 3)
    rng.shuffle(words)
    extra = 0
    for word in words:
        if extra >= 80:
            break
        if re.search(r"(s|x|z|ch|sh)$", word):
            form = word + "es"
        elif re.search(r"[^aeiou]y$", word):
            form = word[:-1] + "ies"
        else:
            form = word + "s"
        if form in seen or not speller.spell(form):
            continue
        if any(stem == word for stem, _ in speller.analyze(form)):
            seen.add(form)
            extra += 1
            pairs.append((form, word, "plural-or-3rd-person"))
    return pairs


def write(path, header, pairs):
    with open(path, "w", encoding="utf-8") as f:
        f.write(header)
        for form, base, kind in pairs:
            f.write(f"{form}\t{base}\t{kind}\n")


def main():
    sources = Path(sys.argv[1] if len(sys.argv) > 1 else "build/debug/data/sources")
    rng = random.Random(14)
    nl_book = headwords(sources / "nl-en.src")
    hand = [tuple(line.split("\t")) for line in
            (HERE / "nl-hand.pairs").read_text(encoding="utf-8").splitlines()
            if line and not line.startswith("#")]
    generated = dutch(nl_book, Speller("nl"), rng)
    write(HERE / "nl.pairs",
          "# Dutch inflected forms and their base: made by bench/wordfinder/make_pairs.py\n",
          [p for p in hand if p[1] in nl_book] + generated)
    en_book = headwords(sources / "en-nl.src")
    write(HERE / "en.pairs",
          "# English inflected forms and their base: made by bench/wordfinder/make_pairs.py\n",
          english(en_book, Speller("en_US"), rng))


if __name__ == "__main__":
    main()
