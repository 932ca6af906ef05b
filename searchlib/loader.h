/* Opening and closing a dictionary file: headers read, every cache allocated at once. */
#ifndef LEXQ_LOADER_H
#define LEXQ_LOADER_H

#include "dictionary.h"

/* Opens the dictionary at path. On LEXQ_OK *out holds the new record; on any other
   status *out is null and everything acquired on the way has been released. */
lexq_status lexq_open(const char *path, lexq_dictionary **out);

/* Releases everything in a record, also a half-built one, and the record itself. */
void lexq_close(lexq_dictionary *dict);

#endif
