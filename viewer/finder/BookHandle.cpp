#include "viewer/finder/BookHandle.h"

#include <utility>

#include "books/encoding.h"
#include "platform/cp1252.h"

TBookHandle::TBookHandle(std::string indexFile) : m_indexFile(std::move(indexFile)) {}

TBookHandle::~TBookHandle() {
    if (m_book != nullptr && lexqapi::lexq_book_close)
        lexqapi::lexq_book_close(m_book);
}

template <typename Call>
std::int32_t TBookHandle::Answer(std::string &out, const Call &call) {
    out.clear();
    if (!lexqapi::HasBooks())
        return lexqapi::LEXQ_ERR_NOTINITIALIZED;
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_book == nullptr) {
        const std::int32_t opened = lexqapi::lexq_book_open(m_indexFile.c_str(), &m_book);
        if (opened != lexqapi::LEXQ_ERR_NONE) {
            m_book = nullptr;
            return opened;
        }
        m_utf8 = lexqapi::lexq_book_text_code_page != nullptr &&
                 lexqapi::lexq_book_text_code_page(m_book) == 65001;
    }
    char *text = nullptr;
    const std::int32_t code = call(&text);
    // The text is the library's: copied, then handed back whatever the copy does.
    try {
        if (code == lexqapi::LEXQ_ERR_NONE && text != nullptr)
            out = m_utf8 ? books::Utf8ToCp1252WithReferences(text) : text;
    } catch (...) {
        lexqapi::lexq_free_text(text);
        throw;
    }
    lexqapi::lexq_free_text(text);
    return code;
}

std::int32_t TBookHandle::Search(const std::string &text, std::string &out) {
    return Answer(out, [&](char **result) {
        return m_utf8 ? lexqapi::lexq_book_search_utf8(m_book, platform::Cp1252ToUtf8(text).c_str(),
                                                       result)
                      : lexqapi::lexq_book_search(m_book, text.c_str(), result);
    });
}

std::int32_t TBookHandle::Prefix(const std::string &text, std::uint32_t limit, std::string &out) {
    return Answer(out, [&](char **result) {
        return m_utf8 ? lexqapi::lexq_book_prefix_utf8(m_book, platform::Cp1252ToUtf8(text).c_str(),
                                                       limit, result)
                      : lexqapi::lexq_book_prefix(m_book, text.c_str(), limit, result);
    });
}

std::int32_t TBookHandle::Keys(const std::string &after, std::uint32_t limit, std::string &out) {
    return Answer(out, [&](char **result) {
        // A UTF-8 book's keys have no Windows-1252 form: its "Bedoelde u:" list is its own.
        return m_utf8 ? lexqapi::LEXQ_ERR_WORDNOTFOUND
                      : lexqapi::lexq_book_keys(m_book, after.c_str(), limit, result);
    });
}
