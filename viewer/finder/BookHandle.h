// One book opened on its own through the search library's book handles, so that several
// books can be searched at once, each on a worker of its own. The handle opens on its first
// call (nothing is read at start-up) and every call holds the handle's lock: the library
// takes calls on one handle one at a time, and a type-ahead on the window's thread may meet a
// worker's search of the same book. Texts are Windows-1252, as the library has them: a
// UTF-8 book is asked in UTF-8 and its answer given back in Windows-1252, characters the code
// page lacks as HTML references (the all-books page is one Windows-1252 page). A word typed
// beyond Windows-1252 is asked in UTF-8 (SearchUtf8, PrefixUtf8), and a UTF-8 book's keys are
// its own, in UTF-8: they are keys, not page text.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "viewer/core/lexqapi.h"

class TBookHandle {
  public:
    explicit TBookHandle(std::string indexFile);
    ~TBookHandle();
    TBookHandle(const TBookHandle &) = delete;
    TBookHandle &operator=(const TBookHandle &) = delete;

    // lexq_book_search, lexq_book_prefix and lexq_book_keys: the library's status, and on
    // 0 its answer text in out (emptied otherwise). An open that fails gives its status and
    // is tried again on the next call; without the library's book exports, -1.
    std::int32_t Search(const std::string &text, std::string &out);
    std::int32_t Prefix(const std::string &text, std::uint32_t limit, std::string &out);
    std::int32_t Keys(const std::string &after, std::uint32_t limit, std::string &out);
    // The same for a text in UTF-8: a UTF-8 book is asked it as it is, a Windows-1252 book
    // only when it converts exactly; otherwise that book has nothing for it
    // (LEXQ_ERR_WORDNOTFOUND).
    std::int32_t SearchUtf8(const std::string &utf8, std::string &out);
    std::int32_t PrefixUtf8(const std::string &utf8, std::uint32_t limit, std::string &out);
    // Whether the book is a UTF-8 book (its keys UTF-8, its answers' texts with references),
    // opening it when no call has yet; false when it cannot be opened.
    bool Utf8();

    const std::string &IndexFile() const { return m_indexFile; }

  private:
    template <typename Call>
    std::int32_t Answer(std::string &out, const Call &call, bool pageText = true);

    std::string m_indexFile;
    std::mutex m_mutex;
    lexqapi::TLexqBook *m_book = nullptr;
    bool m_utf8 = false;  // the open book is a UTF-8 book
};
