/* lexqapi: the dictionary search library. Opens one dictionary file, folds a typed
   word into a search key, looks it up, and returns the hits as one HTML table text.
   One dictionary is open per process through lexq_init; calls are made one at a time.
   Books opened side by side (lexq_book_open, below) are the exception. */
#ifndef LEXQAPI_H
#define LEXQAPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The exports use the standard calling convention of 32-bit Windows (the callee
   removes its arguments); elsewhere the platform's only convention. */
#if defined(_WIN32) && !defined(_WIN64)
#define LEXQ_CALL __stdcall
#else
#define LEXQ_CALL
#endif

#if defined(_WIN32)
#define LEXQ_EXPORT
#else
#define LEXQ_EXPORT __attribute__((visibility("default")))
#endif

/* Status codes returned by every export. */
#define LEXQ_ERR_NONE 0            /* success */
#define LEXQ_ERR_NOTINITIALIZED -1 /* no dictionary is open */
#define LEXQ_ERR_FILENOTFOUND -2   /* the dictionary file cannot be opened for reading */
#define LEXQ_ERR_WRONGFORMAT -3    /* the file is short, inconsistent, or does not decompress */
#define LEXQ_ERR_WORDNOTFOUND -4   /* the word has no entry */
#define LEXQ_ERR_ILLEGALINPUT -5   /* the text folds to an empty search key */
#define LEXQ_ERR_NOMEMORY -6       /* out of memory, or more hits than the hit limit */
#define LEXQ_ERR_NODECRYPTDLL -7   /* enciphered dictionary, and "crypt.dll" or "decrypt" missing */

/* Opens the dictionary file at path. With a dictionary already open: 0, path unused. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_init(const char *path);

/* Looks up text (Windows-1252). On 0, *result holds the table text, which the caller
   hands back through lexq_free_searchresult; otherwise *result is null. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_search(const char *text, char **result);

/* Releases a table text from lexq_search (null is allowed) while the dictionary is open. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_free_searchresult(char *table);

/* Closes the open dictionary. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_deinit(void);

/* Two walks over the open dictionary's keys (key order is byte order), added beside the
   four operations above. Their texts, too, go back through lexq_free_searchresult. Both
   read only what they need: nothing is read ahead or indexed at the open. */

/* Type-ahead: the keys that start with the search key of text (folded as lexq_search
   folds it), at most limit of them, in key order. On 0, *result holds a table text of the
   form lexq_search gives, one row per key, its five cells: text as passed, the key, the
   key's headword as the dictionary writes it (the shortest first string of its hits that
   folds to the key, else its first non-empty one), and two empty cells. -4 when no key
   starts with it; -5 when text folds to an empty key, or limit is 0; otherwise as
   lexq_search. Each row costs a lookup of its key's hits: ask for what will be shown. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_prefix(const char *text, uint32_t limit, char **result);

/* Key walk: at most limit keys greater than after, in key order, each followed by a line
   feed (a key holding a byte below 0x20 is left out). Pass "" for the first slice, then
   the last key received, until -4 says that no key follows. -5 when limit is 0; otherwise
   as lexq_search. Reads no hits: a slice of a few thousand keys takes well under a
   millisecond once its leaf blocks are read. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_keys(const char *after, uint32_t limit, char **result);

/* Books opened side by side, added beside the one process-wide dictionary above, which
   they never touch: each handle is a dictionary of its own, with its own file streams and
   caches, so that several books can answer at once. Calls on one handle are made one at a
   time; different handles may be used on different threads at the same time. Texts and
   answers are exactly those of the operations above on the same file (Windows-1252), and
   every answer text goes back through lexq_free_text. */
typedef struct lexq_dictionary lexq_book;

/* Opens the dictionary file at path as a new book. On 0, *book holds its handle, to be
   closed with lexq_book_close; otherwise *book is null. Codes as lexq_init; -5 when book is
   null. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_open(const char *path, lexq_book **book);

/* lexq_search, lexq_prefix and lexq_keys on the book; -1 for a null book. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_search(lexq_book *book, const char *text, char **result);
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_prefix(lexq_book *book, const char *text, uint32_t limit,
                                               char **result);
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_keys(lexq_book *book, const char *after, uint32_t limit,
                                             char **result);

/* Releases an answer text of a book (null is allowed), whether or not its book is still
   open and whether or not a dictionary is open through lexq_init. Returns 0. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_free_text(char *text);

/* Closes a book: its caches, buffers and streams are released and the handle is gone.
   -1 for a null book. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_close(lexq_book *book);

/* Books in every alphabet, added beside the exports above. A book file of the second kind
   holds UTF-8 keys and texts (its key rule: foldtable_utf8.h); lexq_init and lexq_book_open
   open either kind, and the exports above, whose texts are Windows-1252, answer -3 for a
   UTF-8 book, as a reader of the first kind refuses its file. The exports below take and
   give UTF-8 for a book of either kind: a Windows-1252 book is searched with the text
   converted exactly (-5 when it holds a character the code page lacks, or is no UTF-8) and
   its answer converted back, so that it holds the same table as lexq_search's. A UTF-8
   book's table has the same form: text as passed, key, and the hit's three strings. A text
   that is no UTF-8 is -5; a stored key or text that is no UTF-8 is -3. Answers of the
   process-wide dictionary go back through lexq_free_searchresult or lexq_free_text, those
   of a book through lexq_free_text. */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_search_utf8(const char *text, char **result);
LEXQ_EXPORT int32_t LEXQ_CALL lexq_prefix_utf8(const char *text, uint32_t limit, char **result);
LEXQ_EXPORT int32_t LEXQ_CALL lexq_keys_utf8(const char *after, uint32_t limit, char **result);
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_search_utf8(lexq_book *book, const char *text,
                                                    char **result);
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_prefix_utf8(lexq_book *book, const char *text,
                                                    uint32_t limit, char **result);
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_keys_utf8(lexq_book *book, const char *after,
                                                  uint32_t limit, char **result);

/* The code page of the open dictionary's (or the book's) texts: 65001 for a UTF-8 book,
   1252 for a Windows-1252 one; -1 when none is open (or for a null book). */
LEXQ_EXPORT int32_t LEXQ_CALL lexq_code_page(void);
LEXQ_EXPORT int32_t LEXQ_CALL lexq_book_text_code_page(lexq_book *book);

#ifdef __cplusplus
}
#endif

#endif
