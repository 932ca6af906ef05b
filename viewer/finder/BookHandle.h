// One book opened on its own through the search library's book handles, so that several
// books can be searched at once, each on a worker of its own. The handle opens on its first
// call (nothing is read at start-up) and every call holds the handle's lock: the library
// takes calls on one handle one at a time, and a type-ahead on the window's thread may meet a
// worker's search of the same book. Texts are Windows-1252, as the library has them: a
// UTF-8 book is asked in UTF-8 and its answer given back in Windows-1252, characters the code
// page lacks as HTML references (the all-books page is one Windows-1252 page).
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

    const std::string &IndexFile() const { return m_indexFile; }

  private:
    template <typename Call>
    std::int32_t Answer(std::string &out, const Call &call);

    std::string m_indexFile;
    std::mutex m_mutex;
    lexqapi::TLexqBook *m_book = nullptr;
    bool m_utf8 = false;  // the open book is a UTF-8 book
};
