#include "viewer/core/lexqapi.h"

#include <string>

#include "platform/lasterror.h"
#include "platform/paths.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_Paths.h"

namespace lexqapi {

TLexqInit lexq_init = nullptr;
TLexqSearch lexq_search = nullptr;
TLexqFreeSearchResult lexq_free_searchresult = nullptr;
TLexqDeinit lexq_deinit = nullptr;
TLexqPrefix lexq_prefix = nullptr;
TLexqKeys lexq_keys = nullptr;
TLexqSearch lexq_search_utf8 = nullptr;
TLexqPrefix lexq_prefix_utf8 = nullptr;
TLexqKeys lexq_keys_utf8 = nullptr;
TLexqCodePage lexq_code_page = nullptr;
TLexqBookSearch lexq_book_search_utf8 = nullptr;
TLexqBookPrefix lexq_book_prefix_utf8 = nullptr;
TLexqBookKeys lexq_book_keys_utf8 = nullptr;
TLexqBookCodePage lexq_book_text_code_page = nullptr;
TLexqBookOpen lexq_book_open = nullptr;
TLexqBookSearch lexq_book_search = nullptr;
TLexqBookPrefix lexq_book_prefix = nullptr;
TLexqBookKeys lexq_book_keys = nullptr;
TLexqFreeText lexq_free_text = nullptr;
TLexqBookClose lexq_book_close = nullptr;

bool HasBooks() {
    return lexq_book_open && lexq_book_search && lexq_book_prefix && lexq_book_keys &&
           lexq_free_text && lexq_book_close;
}

bool OpenBookIsUtf8() {
    return lexq_code_page != nullptr && lexq_code_page() == 65001;
}

const char *const LEXQ_ERR_NAMES[8] = {"LEXQ_ERR_NODECRYPTDLL",   "LEXQ_ERR_NOMEMORY",
                                       "LEXQ_ERR_ILLEGALINPUT",   "LEXQ_ERR_WORDNOTFOUND",
                                       "LEXQ_ERR_WRONGFORMAT",    "LEXQ_ERR_FILENOTFOUND",
                                       "LEXQ_ERR_NOTINITIALIZED", "LEXQ_ERR_NONE"};

const char *StatusName(std::int32_t code) {
    if (code < LEXQ_ERR_NODECRYPTDLL || code > LEXQ_ERR_NONE)
        return nullptr;
    return LEXQ_ERR_NAMES[code - LEXQ_ERR_NODECRYPTDLL];
}

namespace {

constexpr const char *kLibraryName = "lexqapi.dll";

template <typename T>
T Bind(platform::LibHandle library, const char *name) {
    return reinterpret_cast<T>(platform::FindExport(library, name));
}

void ClearUtf8EntryPoints() {
    lexq_search_utf8 = nullptr;
    lexq_prefix_utf8 = nullptr;
    lexq_keys_utf8 = nullptr;
    lexq_code_page = nullptr;
    lexq_book_search_utf8 = nullptr;
    lexq_book_prefix_utf8 = nullptr;
    lexq_book_keys_utf8 = nullptr;
    lexq_book_text_code_page = nullptr;
}

void ClearBookEntryPoints() {
    lexq_book_open = nullptr;
    lexq_book_search = nullptr;
    lexq_book_prefix = nullptr;
    lexq_book_keys = nullptr;
    lexq_free_text = nullptr;
    lexq_book_close = nullptr;
}

void ClearEntryPoints() {
    lexq_init = nullptr;
    lexq_search = nullptr;
    lexq_free_searchresult = nullptr;
    lexq_deinit = nullptr;
    lexq_prefix = nullptr;
    lexq_keys = nullptr;
    ClearUtf8EntryPoints();
    ClearBookEntryPoints();
}

}  // namespace

platform::LibHandle LoadSearchLibrary() {
    // The program's own folder comes first, as the system's search order would have it.
    const std::string folder = platform::IncludeTrailingDelimiter(ProgramFolder());
    platform::LibHandle handle =
        platform::FileExists(folder + platform::NativeLibraryName(kLibraryName))
            ? platform::LoadLibraryFromPath(folder + kLibraryName)
            : platform::LoadLibraryByName(kLibraryName);
    if (handle == nullptr)
        throw EGeneral(Format("Error loading '%s': %s",
                              {std::string(kLibraryName), platform::LastErrorText()}));
    lexq_init = Bind<TLexqInit>(handle, "lexq_init");
    lexq_search = Bind<TLexqSearch>(handle, "lexq_search");
    lexq_free_searchresult = Bind<TLexqFreeSearchResult>(handle, "lexq_free_searchresult");
    lexq_deinit = Bind<TLexqDeinit>(handle, "lexq_deinit");
    // A library without all four would crash at its first call; refuse it at start-up.
    if (!lexq_init || !lexq_search || !lexq_free_searchresult || !lexq_deinit) {
        const std::string why = platform::LastErrorText();
        ClearEntryPoints();
        platform::FreeLibraryHandle(handle);
        throw EGeneral(Format("Error loading '%s': %s", {std::string(kLibraryName), why}));
    }
    lexq_prefix = Bind<TLexqPrefix>(handle, "lexq_prefix");
    lexq_keys = Bind<TLexqKeys>(handle, "lexq_keys");
    lexq_book_open = Bind<TLexqBookOpen>(handle, "lexq_book_open");
    lexq_book_search = Bind<TLexqBookSearch>(handle, "lexq_book_search");
    lexq_book_prefix = Bind<TLexqBookPrefix>(handle, "lexq_book_prefix");
    lexq_book_keys = Bind<TLexqBookKeys>(handle, "lexq_book_keys");
    lexq_free_text = Bind<TLexqFreeText>(handle, "lexq_free_text");
    lexq_book_close = Bind<TLexqBookClose>(handle, "lexq_book_close");
    // Half a set would leave a handle that cannot be closed or its texts freed.
    if (!HasBooks())
        ClearBookEntryPoints();
    lexq_search_utf8 = Bind<TLexqSearch>(handle, "lexq_search_utf8");
    lexq_prefix_utf8 = Bind<TLexqPrefix>(handle, "lexq_prefix_utf8");
    lexq_keys_utf8 = Bind<TLexqKeys>(handle, "lexq_keys_utf8");
    lexq_code_page = Bind<TLexqCodePage>(handle, "lexq_code_page");
    lexq_book_search_utf8 = Bind<TLexqBookSearch>(handle, "lexq_book_search_utf8");
    lexq_book_prefix_utf8 = Bind<TLexqBookPrefix>(handle, "lexq_book_prefix_utf8");
    lexq_book_keys_utf8 = Bind<TLexqBookKeys>(handle, "lexq_book_keys_utf8");
    lexq_book_text_code_page = Bind<TLexqBookCodePage>(handle, "lexq_book_text_code_page");
    if (!lexq_search_utf8 || !lexq_prefix_utf8 || !lexq_keys_utf8 || !lexq_code_page ||
        !lexq_book_search_utf8 || !lexq_book_prefix_utf8 || !lexq_book_keys_utf8 ||
        !lexq_book_text_code_page || !HasBooks())
        ClearUtf8EntryPoints();
    return handle;
}

void UnloadSearchLibrary(platform::LibHandle &handle) {
    if (handle != nullptr)
        platform::FreeLibraryHandle(handle);
    handle = nullptr;
    ClearEntryPoints();
}

}  // namespace lexqapi
