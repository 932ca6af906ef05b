// The three exports that the installation program calls by name.
#include <cstdint>
#include <cstring>
#include <string>

#include "master_key.h"
#include "patch_copy.h"
#include "platform/callconv.h"
#include "platform/folders.h"
#include "uninstall.h"

extern "C" {

TK_EXPORT int32_t TK_STDCALL UninstInitialize(int32_t, int32_t, int32_t) {
    return 0;
}

TK_EXPORT int32_t TK_STDCALL UninstUnInitialize(int32_t, int32_t, int32_t) {
    // The field may hold a key of exactly 259 characters; keep a terminated copy.
    char key[kMasterKeySize + 1];
    std::memcpy(key, MasterRegistryKey, kMasterKeySize);
    key[kMasterKeySize] = '\0';
    return setup::UninstallProduct(key);
}

TK_EXPORT int32_t TK_STDCALL SETUP_InstallDll(const char *NewKey, const char *DestPath) {
    const std::string self =
        platform::ModuleFileName(reinterpret_cast<const void *>(&MasterRegistryKey));
    if (self.empty() || self.size() >= 260)
        return 0;
    char current[kMasterKeySize + 1];
    std::memcpy(current, MasterRegistryKey, kMasterKeySize);
    current[kMasterKeySize] = '\0';
    return setup::PatchCopy(current, NewKey, self.c_str(), DestPath);
}

}  // extern "C"
