#include "books/cipher.h"

#include "books/diagnostics.h"
#include "platform/dynlib.h"
#include "platform/lasterror.h"

namespace books {

std::unique_ptr<CryptLibrary> CryptLibrary::Load(const std::string &path) {
    std::unique_ptr<CryptLibrary> lib(new CryptLibrary);
    lib->handle_ = path.empty() ? platform::LoadLibraryByName("crypt.dll")
                                : platform::LoadLibraryFromPath(path);
    if (lib->handle_ == nullptr) {
        throw InputError("cannot load crypt.dll: " + platform::LastErrorText());
    }
    lib->encrypt_ = reinterpret_cast<Routine>(platform::FindExport(lib->handle_, "encrypt"));
    lib->decrypt_ = reinterpret_cast<Routine>(platform::FindExport(lib->handle_, "decrypt"));
    if (lib->encrypt_ == nullptr || lib->decrypt_ == nullptr) {
        throw InputError("crypt.dll does not export \"encrypt\" and \"decrypt\"");
    }
    return lib;
}

CryptLibrary::~CryptLibrary() {
    platform::FreeLibraryHandle(handle_);
}

Cipher CryptLibrary::Encrypt() const {
    return encrypt_;
}
Cipher CryptLibrary::Decrypt() const {
    return decrypt_;
}

}  // namespace books
