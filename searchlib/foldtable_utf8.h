/* The search-key rule of UTF-8 books, beside the Windows-1252 fold table (foldtable.h) of
   the first kind of book. A key is the text with, code point by code point:
   - full Unicode case folding and compatibility decomposition ("Straße" -> "strasse",
     "ﬁ" -> "fi", "İ" -> "i");
   - the diacritics of the combining blocks dropped, so that every accented letter gives its
     base letter ("ą" -> "a", "ş" -> "s", Greek "ά" -> "α");
   - letters with a stroke and ligatures without a decomposition written as base letters
     ("ł" -> "l", "ø" -> "o", "đ" and "ð" -> "d", "ı" -> "i", "æ" -> "ae", "œ" -> "oe");
   - Cyrillic letters only case folded ("Й" -> "й"), except "ё", which gives "е"; Hangul
     syllables kept whole;
   - every other letter and mark of any script kept, and everything else (digits,
     punctuation, blanks, symbols, controls) dropped.
   Keys are UTF-8 and compare byte by byte, as the first kind's keys do. The table is made
   from utf8proc's Unicode data by tools/foldgen; the search library, the dictionary
   compiler and the viewer all fold through lexq_fold_utf8. */
#ifndef LEXQ_FOLDTABLE_UTF8_H
#define LEXQ_FOLDTABLE_UTF8_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A run of code points [first, last] that stand for themselves (action LEXQ_FOLD_KEEP), or
   one code point (first == last) replaced by lexq_fold_utf8_replacements[action]. Code
   points outside every range are dropped. Sorted, not overlapping. */
typedef struct lexq_fold_range {
    uint32_t first, last;
    uint16_t action;
} lexq_fold_range;

#define LEXQ_FOLD_KEEP 0xFFFEu

extern const char *const lexq_fold_utf8_replacements[];
extern const lexq_fold_range lexq_fold_utf8_ranges[];
extern const unsigned lexq_fold_utf8_range_count;

/* lexq_fold_utf8's answer for a text that is not well-formed UTF-8. */
#define LEXQ_FOLD_MALFORMED ((size_t)-1)

/* Folds the length bytes of text into its key: returns the key's length in bytes and, when
   out is not null, writes the key there (without a terminator; out has room for the length
   a first call with a null out gave). LEXQ_FOLD_MALFORMED for a stray, cut-off, overlong or
   surrogate sequence, or a value past U+10FFFF. */
size_t lexq_fold_utf8(const char *text, size_t length, char *out);

/* The well-formed UTF-8 sequence at p (before end): its length, 0 when there is none; the
   code point in *code. */
size_t lexq_utf8_next(const uint8_t *p, const uint8_t *end, uint32_t *code);

/* Whether the length bytes at text are well-formed UTF-8. */
int lexq_utf8_valid(const char *text, size_t length);

#ifdef __cplusplus
}

#include <string>
#include <string_view>

/* The key of a UTF-8 text as a string, for the compiler and the viewer; empty for a text
   that is no UTF-8. */
inline std::string lexq_fold_utf8_string(std::string_view text) {
    const size_t length = lexq_fold_utf8(text.data(), text.size(), NULL);
    if (length == LEXQ_FOLD_MALFORMED)
        return std::string();
    std::string key(length, '\0');
    lexq_fold_utf8(text.data(), text.size(), key.data());
    return key;
}
#endif

#endif
