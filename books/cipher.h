// Enciphering through the outside library crypt.so ("crypt.dll"): its "encrypt" for
// writing and its "decrypt" for reading a dictionary back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lexqapi.h"  // LEXQ_CALL, the calling convention of crypt.dll as well

namespace books {

// Enciphers or deciphers length bytes at data in place; position is where the bytes
// lie in their section, as the file format fixes it for each call site.
using Cipher =
    std::function<void(std::uint32_t position, std::uint8_t *data, std::uint32_t length)>;

class CryptLibrary {
  public:
    // Loads "crypt.dll" the usual way (beside the program first), or the file at path
    // when path is not empty. Throws InputError naming the reason on failure.
    static std::unique_ptr<CryptLibrary> Load(const std::string &path = "");
    ~CryptLibrary();
    CryptLibrary(const CryptLibrary &) = delete;
    CryptLibrary &operator=(const CryptLibrary &) = delete;

    Cipher Encrypt() const;
    Cipher Decrypt() const;

  private:
    using Routine = void(LEXQ_CALL *)(std::uint32_t, std::uint8_t *, std::uint32_t);
    CryptLibrary() = default;

    void *handle_ = nullptr;  // owned; released in the destructor
    Routine encrypt_ = nullptr;
    Routine decrypt_ = nullptr;
};

}  // namespace books
