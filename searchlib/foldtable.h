/* The fold table: for every Windows-1252 byte, the letters (zero, one or two of
   A to Z) that stand for it in a search key. The search library, the dictionary
   compiler and the viewer all fold through this one table. */
#ifndef LEXQ_FOLDTABLE_H
#define LEXQ_FOLDTABLE_H

#ifdef __cplusplus
extern "C" {
#endif

/* Entry b is the zero-terminated replacement of byte b; empty for dropped bytes. */
extern const char *const lexq_fold_table[256];

#ifdef __cplusplus
}
#endif

#endif
