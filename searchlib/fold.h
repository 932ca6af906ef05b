/* Folding of a typed word into a search key of the letters A to Z. */
#ifndef LEXQ_FOLD_H
#define LEXQ_FOLD_H

/* The key for text (Windows-1252), allocated with lexq_alloc; null when memory runs out.
   Each byte is replaced independently by its fold-table letters (possibly none). */
char *lexq_fold(const char *text);

/* The key for text (UTF-8) by the rule of UTF-8 books (foldtable_utf8.h), allocated with
   lexq_alloc; null when memory runs out or, with *malformed set, when text is not
   well-formed UTF-8. */
char *lexq_fold_utf8_key(const char *text, bool *malformed);

#endif
