// The query of a full-text search as the user types it: words that must all occur,
// "..." a phrase, woord* a word start, -woord a word that must not occur. Read into the
// index's query language (SQLite FTS5) with every word quoted, so that no text of the user
// is taken as that language's syntax, and into the words an excerpt marks. Plain C++
// without Qt: the viewer, lexq and the fuzz target share it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fulltext {

struct TTerm {
    std::vector<std::string> Words;  // one word, or a phrase's words (UTF-8, as typed)
    bool Prefix = false;             // the last word is a word start
    bool Excluded = false;
};

// At most this many terms and this many bytes: a query stays cheap to answer.
inline constexpr std::size_t kMostTerms = 32;
inline constexpr std::size_t kMostBytes = 1000;

class TQuery {
  public:
    // Reads text (UTF-8). On a malformed query returns nullopt with a Dutch sentence in
    // error that names what is wrong.
    static std::optional<TQuery> Read(std::string_view text, std::string &error);

    const std::vector<TTerm> &Terms() const { return m_terms; }
    // The FTS5 expression: the wanted terms joined by AND, the excluded ones after NOT.
    std::string Expression() const;

  private:
    std::vector<TTerm> m_terms;
};

// Whether a byte is part of a word: letters and digits of ASCII, and every byte of a
// character beyond it (as the index's tokenizer takes them).
bool IsWordByte(char c);

}  // namespace fulltext
