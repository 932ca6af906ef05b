/* lexqapi: the dictionary search library. Opens one dictionary file, folds a typed
   word into a search key, looks it up, and returns the hits as one HTML table text.
   One dictionary is open per process; calls are made one at a time. */
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

#ifdef __cplusplus
}
#endif

#endif
