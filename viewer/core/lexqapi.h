// Run-time binding of the search library "lexqapi.dll": its four entry points as procedure
// variables (null while unloaded), its two optional key walks, its status codes and their
// names, load and unload.
// Kept apart from the library's own header so that no symbol of the library is declared here.
#pragma once

#include <cstdint>

#include "platform/dynlib.h"

// The library's exports use the standard calling convention of 32-bit Windows.
#if defined(_WIN32) && !defined(_WIN64)
#define LXA_STDCALL __stdcall
#else
#define LXA_STDCALL
#endif

namespace lexqapi {

using TLexqInit = std::int32_t(LXA_STDCALL *)(const char *path);
using TLexqSearch = std::int32_t(LXA_STDCALL *)(const char *text, char **result);
using TLexqFreeSearchResult = std::int32_t(LXA_STDCALL *)(char *table);
using TLexqDeinit = std::int32_t(LXA_STDCALL *)();
using TLexqPrefix = std::int32_t(LXA_STDCALL *)(const char *text, std::uint32_t limit,
                                                char **result);
using TLexqKeys = std::int32_t(LXA_STDCALL *)(const char *after, std::uint32_t limit,
                                              char **result);
// Books opened side by side: an opaque handle per book (see the library's header).
struct TLexqBook;
using TLexqBookOpen = std::int32_t(LXA_STDCALL *)(const char *path, TLexqBook **book);
using TLexqBookSearch = std::int32_t(LXA_STDCALL *)(TLexqBook *book, const char *text,
                                                    char **result);
using TLexqBookPrefix = std::int32_t(LXA_STDCALL *)(TLexqBook *book, const char *text,
                                                    std::uint32_t limit, char **result);
using TLexqBookKeys = std::int32_t(LXA_STDCALL *)(TLexqBook *book, const char *after,
                                                  std::uint32_t limit, char **result);
using TLexqFreeText = std::int32_t(LXA_STDCALL *)(char *text);
using TLexqBookClose = std::int32_t(LXA_STDCALL *)(TLexqBook *book);

// The UTF-8 operations (books in every alphabet; see the library's header).
using TLexqCodePage = std::int32_t(LXA_STDCALL *)();

// Filled by LoadSearchLibrary, emptied by UnloadSearchLibrary. Tests may point them at
// stand-ins of their own.
extern TLexqInit lexq_init;
extern TLexqSearch lexq_search;
extern TLexqFreeSearchResult lexq_free_searchresult;
extern TLexqDeinit lexq_deinit;
// The key walks (type-ahead rows, key list slices; see the library's header), bound when
// the library has them and null otherwise: a library without them still serves every
// search, and the viewer then offers no type-ahead and no suggestions.
extern TLexqPrefix lexq_prefix;
extern TLexqKeys lexq_keys;
// Books side by side, for searching every book at once: bound only when the library has
// all six, else all null (and the viewer offers no all-books search).
extern TLexqBookOpen lexq_book_open;
extern TLexqBookSearch lexq_book_search;
extern TLexqBookPrefix lexq_book_prefix;
extern TLexqBookKeys lexq_book_keys;
extern TLexqFreeText lexq_free_text;
extern TLexqBookClose lexq_book_close;
// Whether the six are bound.
bool HasBooks();
// The UTF-8 search, type-ahead and key walk of the open dictionary and its code page, bound
// only when the library has all four, else all null: such a library opens no UTF-8 book,
// and the viewer then asks in Windows-1252 through the four (and the two walks).
extern TLexqSearch lexq_search_utf8;
extern TLexqPrefix lexq_prefix_utf8;
extern TLexqKeys lexq_keys_utf8;
extern TLexqCodePage lexq_code_page;
// The same for books side by side (bound with the four above, when the six are bound too).
using TLexqBookCodePage = std::int32_t(LXA_STDCALL *)(TLexqBook *book);
extern TLexqBookSearch lexq_book_search_utf8;
extern TLexqBookPrefix lexq_book_prefix_utf8;
extern TLexqBookKeys lexq_book_keys_utf8;
extern TLexqBookCodePage lexq_book_text_code_page;
// Whether the open dictionary is a UTF-8 book (its texts and keys UTF-8).
bool OpenBookIsUtf8();

inline constexpr std::int32_t LEXQ_ERR_NONE = 0;
inline constexpr std::int32_t LEXQ_ERR_NOTINITIALIZED = -1;
inline constexpr std::int32_t LEXQ_ERR_FILENOTFOUND = -2;
inline constexpr std::int32_t LEXQ_ERR_WRONGFORMAT = -3;
inline constexpr std::int32_t LEXQ_ERR_WORDNOTFOUND = -4;
inline constexpr std::int32_t LEXQ_ERR_ILLEGALINPUT = -5;
inline constexpr std::int32_t LEXQ_ERR_NOMEMORY = -6;
inline constexpr std::int32_t LEXQ_ERR_NODECRYPTDLL = -7;

// The names of the codes, indexed by code + 7 (first LEXQ_ERR_NODECRYPTDLL, last LEXQ_ERR_NONE).
extern const char *const LEXQ_ERR_NAMES[8];
// The name of a code, or null for a value outside -7 to 0.
const char *StatusName(std::int32_t code);

// The messages both reactions to the library's codes (opening and searching) share.
inline constexpr const char *kMsgNoMemory =
    "Er is niet genoeg geheugen om het woordenboek te laden of om het woord op te zoeken.";
inline constexpr const char *kMsgUnknownError =
    "Tijdens het laden of doorzoeken van het woordenboek is een onbekende fout opgetreden.";
// The report number of a code: the code negated (wrapping, so no value overflows).
inline std::int32_t StatusNumber(std::int32_t code) {
    return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(code));
}

// Loads "lexqapi.dll" from the program's folder (TRPaths' program path) or else through the
// system's search order, and binds the four entry points and whichever key walks it has.
// Raises EGeneral with "Error loading 'lexqapi.dll': <system text>", or when one of the
// four entry points is missing.
platform::LibHandle LoadSearchLibrary();

// Releases a loaded library, zeroes the handle and empties every entry point.
void UnloadSearchLibrary(platform::LibHandle &handle);

}  // namespace lexqapi
