/* Internal statuses of the search library's steps, and the one mapping from them to
   the status codes that the exports return. */
#ifndef LEXQ_STATUS_H
#define LEXQ_STATUS_H

#include <stdint.h>

typedef uint8_t lexq_status;

enum : lexq_status {
    LEXQ_OK = 0,         /* success */
    LEXQ_S_OPEN = 5,     /* the dictionary file cannot be opened for reading */
    LEXQ_S_SHORT = 8,    /* a read (or the seek before it) gave fewer bytes than asked */
    LEXQ_S_CORRUPT = 14, /* a stored size, count, offset or string is inconsistent */
    LEXQ_S_INFLATE = 15, /* a block does not decompress */
    LEXQ_S_NOCRYPT = 19, /* "crypt.dll" or its "decrypt" cannot be loaded */
    LEXQ_S_NOMEM = 20,   /* an allocation failed, or more hits than the hit limit */
};

/* The public code for an internal status; any value not listed above gives -3. */
int32_t lexq_public_code(lexq_status status);

#endif
