#include "viewer/finder/BookHandle.h"

#include <utility>

#include "books/encoding.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"

TBookHandle::TBookHandle(std::string indexFile) : m_indexFile(std::move(indexFile)) {}

TBookHandle::~TBookHandle() {
    if (m_book != nullptr && lexqapi::lexq_book_close)
        lexqapi::lexq_book_close(m_book);
}

template <typename Call>
std::int32_t TBookHandle::Answer(std::string &out, const Call &call, bool pageText) {
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
            out = m_utf8 && pageText ? books::Utf8ToCp1252WithReferences(text) : text;
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
    return Answer(
        out,
        [&](char **result) {
            return m_utf8 ? lexqapi::lexq_book_keys_utf8(m_book, after.c_str(), limit, result)
                          : lexqapi::lexq_book_keys(m_book, after.c_str(), limit, result);
        },
        /*pageText=*/false);
}

std::int32_t TBookHandle::SearchUtf8(const std::string &utf8, std::string &out) {
    return Answer(out, [&](char **result) {
        if (m_utf8)
            return lexqapi::lexq_book_search_utf8(m_book, utf8.c_str(), result);
        const std::optional<std::string> text = platform::Utf8ToCp1252Exact(utf8);
        return text ? lexqapi::lexq_book_search(m_book, text->c_str(), result)
                    : std::int32_t{lexqapi::LEXQ_ERR_WORDNOTFOUND};
    });
}

std::int32_t TBookHandle::PrefixUtf8(const std::string &utf8, std::uint32_t limit,
                                     std::string &out) {
    return Answer(out, [&](char **result) {
        if (m_utf8)
            return lexqapi::lexq_book_prefix_utf8(m_book, utf8.c_str(), limit, result);
        const std::optional<std::string> text = platform::Utf8ToCp1252Exact(utf8);
        return text ? lexqapi::lexq_book_prefix(m_book, text->c_str(), limit, result)
                    : std::int32_t{lexqapi::LEXQ_ERR_WORDNOTFOUND};
    });
}

bool TBookHandle::Utf8() {
    // Opens the book when no call has yet.
    bool utf8 = false;
    std::string none;
    Answer(none, [&](char **) {
        utf8 = m_utf8;
        return std::int32_t{lexqapi::LEXQ_ERR_NONE};
    });
    return utf8;
}
