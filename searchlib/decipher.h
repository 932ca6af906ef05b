/* Binding of "crypt.dll" and its "decrypt", used for enciphered dictionaries only. */
#ifndef LEXQ_DECIPHER_H
#define LEXQ_DECIPHER_H

#include "dictionary.h"

/* Loads "crypt.dll" and looks up "decrypt" into the record: LEXQ_S_NOCRYPT when either
   is missing (a loaded module stays in the record for the close to release). */
lexq_status lexq_bind_decipher(lexq_dictionary *dict);
/* Releases the module, if loaded. */
void lexq_unbind_decipher(lexq_dictionary *dict);
/* Deciphers in place when the dictionary is enciphered; otherwise does nothing. */
void lexq_decipher(const lexq_dictionary *dict, uint32_t position, uint8_t *data, uint32_t length);

/* Test seam (not exported from the shared library). */
/* Loads "crypt.dll" from this folder instead of the usual places; null restores them. */
void lexq_seam_crypt_folder(const char *folder);
/* Library loads attempted and "decrypt" calls made since the last lexq_seam_crypt_folder. */
unsigned long lexq_seam_crypt_loads(void);
unsigned long lexq_seam_decrypt_calls(void);

#endif
