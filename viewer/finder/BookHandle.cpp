#include "viewer/finder/BookHandle.h"

#include <utility>

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
    }
    char *text = nullptr;
    const std::int32_t code = call(&text);
    // The text is the library's: copied, then handed back whatever the copy does.
    try {
        if (code == lexqapi::LEXQ_ERR_NONE && text != nullptr)
            out = text;
    } catch (...) {
        lexqapi::lexq_free_text(text);
        throw;
    }
    lexqapi::lexq_free_text(text);
    return code;
}

std::int32_t TBookHandle::Search(const std::string &text, std::string &out) {
    return Answer(out, [&](char **result) {
        return lexqapi::lexq_book_search(m_book, text.c_str(), result);
    });
}

std::int32_t TBookHandle::Prefix(const std::string &text, std::uint32_t limit, std::string &out) {
    return Answer(out, [&](char **result) {
        return lexqapi::lexq_book_prefix(m_book, text.c_str(), limit, result);
    });
}

std::int32_t TBookHandle::Keys(const std::string &after, std::uint32_t limit, std::string &out) {
    return Answer(out, [&](char **result) {
        return lexqapi::lexq_book_keys(m_book, after.c_str(), limit, result);
    });
}
