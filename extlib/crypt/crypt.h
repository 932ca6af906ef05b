/* crypt.so ("crypt.dll"): the keyed stream cipher of enciphered dictionaries. The byte
   at position p of a section is combined with keystream byte p, so any stretch can be
   deciphered on its own; encrypt and decrypt are the same operation. */
#ifndef TK_CRYPT_H
#define TK_CRYPT_H

#include <stdint.h>

#include "lexqapi.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define CRYPT_EXPORT
#else
#define CRYPT_EXPORT __attribute__((visibility("default")))
#endif

/* Deciphers length bytes at data in place; position is where data[0] lies. */
CRYPT_EXPORT void LEXQ_CALL decrypt(uint32_t position, uint8_t *data, uint32_t length);
/* Enciphers length bytes at data in place; position is where data[0] lies. */
CRYPT_EXPORT void LEXQ_CALL encrypt(uint32_t position, uint8_t *data, uint32_t length);

#ifdef __cplusplus
}
#endif

#endif
