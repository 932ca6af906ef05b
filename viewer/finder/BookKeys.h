// What the open book's keys give beside the search: the headwords of the type-ahead list,
// the book's keys a slice at a time, and quiet lookups that ask whether a word has entries
// and how the book writes it. Everything goes through the search library's binding and
// so, like every call of it, belongs to the one thread that searches. Texts are
// Windows-1252, as the library has them. A library failure here shows no dialog: it counts
// as nothing found, and the search itself reports it when the user searches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Whether the loaded library offers the type-ahead and the key walk.
bool HasTypeAhead();
bool HasKeyWalk();

// How many headwords the type-ahead list shows (the viewer's list, lexq --prefix).
inline constexpr std::size_t kTypeAheadWords = 12;

// Up to limit headwords whose search keys start with the key of text, in key order, each
// headword once; empty without any, or without the library's type-ahead.
std::vector<std::string> TypeAheadWords(const std::string &text, std::size_t limit);

// How the book writes a key (letters A to Z): the headword its type-ahead row shows, else
// the key itself.
std::string KeyHeadword(const std::string &key);

// The bodies of the hits a search of text finds whose headword is headword (all hits when
// none is), in the viewer's display order; empty when it finds nothing.
std::vector<std::string> HitBodies(const std::string &text, const std::string &headword);

class TLXASearchResult;
// The rows of a table text in the library's order, parsed as the result list parses them
// (no pronunciation cell); none when the table is corrupt.
std::vector<TLXASearchResult> TableRows(std::string_view table);

// Whether a search of text finds entries in the open book.
bool HasEntries(const std::string &text);
// The headword a search of text shows first (the viewer's display order), or empty when
// it finds nothing.
std::string FirstHeadword(const std::string &text);

// The open book's keys in key order, read a slice at a time.
class TKeyWalk {
  public:
    // Starts with the first key greater than after ("": the first key of all).
    explicit TKeyWalk(std::string after = {}) : m_after(std::move(after)) {}
    // Hands up to limit further keys to emit; false once the walk has ended (all keys
    // read, or the library failed: see Failed).
    bool Next(std::uint32_t limit, const std::function<void(std::string_view key)> &emit);
    bool Done() const { return m_state != State::Walking; }
    bool Failed() const { return m_state == State::Failed; }

  private:
    enum class State { Walking, Finished, Failed };
    std::string m_after;  // the last key handed out
    State m_state = State::Walking;
};
