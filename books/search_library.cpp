#include "books/search_library.h"

#include "books/diagnostics.h"
#include "platform/dynlib.h"
#include "platform/lasterror.h"

namespace books {

std::string StatusName(std::int32_t status) {
    switch (status) {
        case LEXQ_ERR_NONE:
            return "LEXQ_ERR_NONE";
        case LEXQ_ERR_NOTINITIALIZED:
            return "LEXQ_ERR_NOTINITIALIZED";
        case LEXQ_ERR_FILENOTFOUND:
            return "LEXQ_ERR_FILENOTFOUND";
        case LEXQ_ERR_WRONGFORMAT:
            return "LEXQ_ERR_WRONGFORMAT";
        case LEXQ_ERR_WORDNOTFOUND:
            return "LEXQ_ERR_WORDNOTFOUND";
        case LEXQ_ERR_ILLEGALINPUT:
            return "LEXQ_ERR_ILLEGALINPUT";
        case LEXQ_ERR_NOMEMORY:
            return "LEXQ_ERR_NOMEMORY";
        case LEXQ_ERR_NODECRYPTDLL:
            return "LEXQ_ERR_NODECRYPTDLL";
        default:
            return "unknown status " + std::to_string(status);
    }
}

namespace {

template <typename F>
void Bind(void *handle, const char *name, F &slot) {
    slot = reinterpret_cast<F>(platform::FindExport(handle, name));
    if (slot == nullptr)
        throw InputError(std::string("lexqapi.dll does not export ") + name);
}

}  // namespace

std::unique_ptr<SearchLibrary> SearchLibrary::Load(const std::string &path) {
    std::unique_ptr<SearchLibrary> lib(new SearchLibrary);
    lib->handle_ = path.empty() ? platform::LoadLibraryByName("lexqapi.dll")
                                : platform::LoadLibraryFromPath(path);
    if (lib->handle_ == nullptr) {
        throw InputError("cannot load lexqapi.dll: " + platform::LastErrorText());
    }
    Bind(lib->handle_, "lexq_init", lib->init_);
    Bind(lib->handle_, "lexq_search", lib->search_);
    Bind(lib->handle_, "lexq_free_searchresult", lib->free_);
    Bind(lib->handle_, "lexq_deinit", lib->deinit_);
    lib->searchUtf8_ = reinterpret_cast<decltype(&lexq_search_utf8)>(
        platform::FindExport(lib->handle_, "lexq_search_utf8"));
    lib->codePage_ = reinterpret_cast<decltype(&lexq_code_page)>(
        platform::FindExport(lib->handle_, "lexq_code_page"));
    return lib;
}

SearchLibrary::~SearchLibrary() {
    if (deinit_ != nullptr)
        deinit_();
    platform::FreeLibraryHandle(handle_);
}

std::int32_t SearchLibrary::Open(const std::string &path) {
    deinit_();  // the library keeps the first dictionary while one is open
    return init_(path.c_str());
}

std::int32_t SearchLibrary::Close() {
    return deinit_();
}

SearchLibrary::Result SearchLibrary::SearchUtf8(const std::string &utf8) {
    if (searchUtf8_ == nullptr)
        return {LEXQ_ERR_NOTINITIALIZED, {}};
    return Run(searchUtf8_, utf8);
}

bool SearchLibrary::OpenBookIsUtf8() {
    return codePage_ != nullptr && codePage_() == 65001;
}

SearchLibrary::Result SearchLibrary::Search(const std::string &cp1252) {
    return Run(search_, cp1252);
}

SearchLibrary::Result SearchLibrary::Run(decltype(&lexq_search) search, const std::string &text) {
    Result result;
    char *table = nullptr;
    result.status = search(text.c_str(), &table);
    if (table != nullptr) {
        result.table = table;
        free_(table);
    }
    return result;
}

}  // namespace books
