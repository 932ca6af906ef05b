#include "decipher.h"

#include <string>

#include "platform/dynlib.h"

static std::string *g_folder; /* test seam: where to load "crypt.dll" from */
static unsigned long g_loads;
static unsigned long g_calls;

static platform::LibHandle load_crypt(void) {
    g_loads++;
    if (g_folder != NULL)
        return platform::LoadLibraryFromPath(*g_folder + "/crypt.dll");
    return platform::LoadLibraryByName("crypt.dll");
}

lexq_status lexq_bind_decipher(lexq_dictionary *dict) {
    try {
        dict->crypt_module = load_crypt();
        if (dict->crypt_module == NULL)
            return LEXQ_S_NOCRYPT;
        dict->decrypt = (lexq_decrypt_fn)platform::FindExport(dict->crypt_module, "decrypt");
    } catch (...) {
        /* The platform layer builds names in std::string; no exception leaves the library. */
        return LEXQ_S_NOCRYPT;
    }
    return dict->decrypt != NULL ? LEXQ_OK : LEXQ_S_NOCRYPT;
}

void lexq_unbind_decipher(lexq_dictionary *dict) {
    if (dict->crypt_module != NULL)
        platform::FreeLibraryHandle(dict->crypt_module);
    dict->crypt_module = NULL;
    dict->decrypt = NULL;
}

void lexq_decipher(const lexq_dictionary *dict, uint32_t position, uint8_t *data, uint32_t length) {
    if (dict->enciphered == 0 || dict->decrypt == NULL)
        return;
    g_calls++;
    dict->decrypt(position, data, length);
}

void lexq_seam_crypt_folder(const char *folder) {
    delete g_folder;
    g_folder = folder != NULL ? new std::string(folder) : NULL;
    g_loads = 0;
    g_calls = 0;
}

unsigned long lexq_seam_crypt_loads(void) {
    return g_loads;
}
unsigned long lexq_seam_decrypt_calls(void) {
    return g_calls;
}
