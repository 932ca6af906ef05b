// "Did you mean": the search keys of a book nearest to a typed key that has no entries.
//
// Nearness is the optimal string alignment distance: inserting, deleting or replacing a
// letter, or swapping two neighbouring letters, each count one edit. Results come nearest
// first, then in key order. Keys are what the search library's fold makes of a word: the
// letters A to Z, or a UTF-8 book's keys (foldtable_utf8.h), whose letters are counted as
// characters, not bytes.
//
// The keys come from an enumerator (a walk over the book's index) and are read once, on the
// first Suggest() or Build(), into one sorted buffer of about the size of the keys
// themselves (keys that arrive in order are not sorted again); nothing happens at start-up. A query
// walks the sorted keys like a trie, reusing the distance rows of the prefix a key shares with the
// one before, and skips every key under a prefix that is already too far. It tries one edit first
// and widens to two only when that finds too few.
//
// Build() and Suggest() are safe from several threads at once.
//
// Wiring: one Suggester per open book, made when the book opens (cheap: nothing is read) with
// an enumerator over the search library's key walk, or from the keys a caller has read in
// slices (the constructor that takes them over); on a miss, Suggest(key of the typed
// word) - folded as the search folds it - and show the headword a search of each key gives.
// Measured on gcide's 167,461 keys: 0.1 s to read them once, 2.3 MB, a few ms per query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class Suggester {
  public:
    using Emit = std::function<void(std::string_view key)>;
    // Calls emit once for every key of the book, in any order, repeats allowed. Keys that
    // are not 1 to 255 letters A-Z are left out.
    using KeyEnumerator = std::function<void(const Emit &emit)>;

    struct Options {
        std::size_t maxResults = 8;
        int maxDistance = 2;              // at most 3
        std::size_t minLengthForTwo = 4;  // shorter typed keys get one edit only
    };

    explicit Suggester(KeyEnumerator keys);
    // Keys read already, back to back in chars (key i is chars[starts[i], starts[i + 1]),
    // starts ending with chars.size()), in key order as the key walk gives them: taken
    // over without a copy or a sort. A key out of order, a repeat, or one that is not 1
    // to 255 letters A-Z is left out.
    Suggester(std::string chars, std::vector<std::uint32_t> starts);

    // Reads the keys now (otherwise the first Suggest does it).
    void Build();
    // The nearest keys to key (letters A-Z), as described above; empty for an empty key,
    // one of more than 64 letters, or one with other characters.
    std::vector<std::string> Suggest(std::string_view key, const Options &options) const;
    std::vector<std::string> Suggest(std::string_view key) const { return Suggest(key, {}); }

    std::size_t KeyCount() const;
    // Bytes held for the keys once built.
    std::size_t MemoryBytes() const;

  private:
    struct Match {
        std::uint32_t index;
        int distance;
    };

    KeyEnumerator enumerate_;
    mutable std::once_flag once_;
    // Written once under once_, read-only after.
    mutable std::string chars_;                  // the sorted, distinct keys back to back
    mutable std::vector<std::uint32_t> starts_;  // key i is chars_[starts_[i], starts_[i + 1])

    void BuildOnce() const;
    std::string_view Key(std::size_t i) const {
        return std::string_view(chars_).substr(starts_[i], starts_[i + 1] - starts_[i]);
    }
    std::size_t Count() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    std::vector<Match> Within(std::string_view typed, int bound) const;
    template <typename Units>
    std::vector<Match> WithinUnits(std::string_view typed, int bound) const;
};

// The optimal string alignment distance between two keys (a plain full table; for tests
// and for ranking a handful of strings), in characters for UTF-8 keys.
int OsaDistance(std::string_view a, std::string_view b);
