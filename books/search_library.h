// The search library lexqapi.so ("lexqapi.dll"), loaded at run time: verify and lookup
// read dictionaries back through the very code the viewer uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lexqapi.h"

namespace books {

// "LEXQ_ERR_WORDNOTFOUND" for -4; "unknown status N" otherwise.
std::string StatusName(std::int32_t status);

class SearchLibrary {
  public:
    // Loads "lexqapi.dll" the usual way (beside the program first), or the file at path
    // when path is not empty. Throws InputError when it or one of its exports is missing.
    static std::unique_ptr<SearchLibrary> Load(const std::string &path = "");
    ~SearchLibrary();  // closes the dictionary and releases the library
    SearchLibrary(const SearchLibrary &) = delete;
    SearchLibrary &operator=(const SearchLibrary &) = delete;

    // Opens a dictionary; one that was open before is closed first.
    std::int32_t Open(const std::string &path);
    std::int32_t Close();

    struct Result {
        std::int32_t status = 0;
        std::string table;  // the result text on status 0
    };
    Result Search(const std::string &cp1252);
    // The UTF-8 search, for a book of either kind; LEXQ_ERR_NOTINITIALIZED from a library
    // without it.
    Result SearchUtf8(const std::string &utf8);
    // Whether the open book is a UTF-8 book (false from a library without the UTF-8 exports,
    // which cannot open one).
    bool OpenBookIsUtf8();

  private:
    SearchLibrary() = default;
    // One search through an export of lexq_search's form, its text handed back.
    Result Run(decltype(&lexq_search) search, const std::string &text);

    void *handle_ = nullptr;  // owned
    decltype(&lexq_init) init_ = nullptr;
    decltype(&lexq_search) search_ = nullptr;
    decltype(&lexq_free_searchresult) free_ = nullptr;
    decltype(&lexq_deinit) deinit_ = nullptr;
    decltype(&lexq_search_utf8) searchUtf8_ = nullptr;  // optional, as the next
    decltype(&lexq_code_page) codePage_ = nullptr;
};

}  // namespace books
