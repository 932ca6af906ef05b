/* Folding of a typed word into a search key of the letters A to Z. */
#ifndef LEXQ_FOLD_H
#define LEXQ_FOLD_H

/* The key for text (Windows-1252), allocated with lexq_alloc; null when memory runs out.
   Each byte is replaced independently by its fold-table letters (possibly none). */
char *lexq_fold(const char *text);

#endif
