#include "status.h"

#include "lexqapi.h"

int32_t lexq_public_code(lexq_status status) {
    switch (status) {
        case LEXQ_OK:
            return LEXQ_ERR_NONE;
        case LEXQ_S_OPEN:
            return LEXQ_ERR_FILENOTFOUND;
        case LEXQ_S_NOCRYPT:
            return LEXQ_ERR_NODECRYPTDLL;
        case LEXQ_S_NOMEM:
            return LEXQ_ERR_NOMEMORY;
        default: /* 8, 14, 15 and anything unforeseen: the file is not what it should be */
            return LEXQ_ERR_WRONGFORMAT;
    }
}
