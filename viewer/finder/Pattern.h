// Patterns on search keys: "*" any run of letters, "?" one letter, "[...]" one of the
// letters ("[a-e]" a range), "\" before a character takes it for itself. A pattern is
// folded as the search folds a word, so it is matched against the book's keys (the letters
// A to Z) and never against how a headword is written. Plain C++ without Qt or the search
// library: the viewer, lexq and the fuzz target share it.
#pragma once

#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pattern {

// One step of a pattern over a key.
struct TStep {
    enum class Kind { Letter, AnyLetter, AnyRun, OneOf };
    Kind What = Kind::Letter;
    char Letter = 0;          // Kind::Letter: 'A' to 'Z'
    std::bitset<26> Letters;  // Kind::OneOf
    // The same for a pattern on a UTF-8 book's keys: a character of a key, and ranges of them.
    char32_t Character = 0;
    std::vector<std::pair<char32_t, char32_t>> Characters;
};

class TPattern {
  public:
    // Reads text (Windows-1252). On a malformed pattern returns nullopt with a Dutch
    // sentence in error that names what is wrong.
    static std::optional<TPattern> Read(std::string_view text, std::string &error);
    // Reads text (UTF-8) as a pattern on a UTF-8 book's keys: folded by that book's key rule
    // (foldtable_utf8.h), "?" one character of a key, "[...]" one of the characters. The
    // sentence in error is UTF-8.
    static std::optional<TPattern> ReadUtf8(std::string_view text, std::string &error);
    // Whether the pattern is one on a UTF-8 book's keys.
    bool Utf8() const { return m_utf8; }

    // Whether the key (letters A to Z, or a UTF-8 book's key for a UTF-8 pattern) matches
    // the whole pattern. Linear in the key for each "*", never exponential.
    bool Matches(std::string_view key) const;

    // The letters every match starts with, and those every match ends with (none when the
    // pattern has no wildcard after, or before, them; a pattern without wildcards is all
    // prefix and has no suffix).
    const std::string &FixedStart() const { return m_start; }
    const std::string &FixedEnd() const { return m_end; }
    bool HasWildcard() const;
    const std::vector<TStep> &Steps() const { return m_steps; }

  private:
    bool MatchesUtf8(std::string_view key) const;

    std::vector<TStep> m_steps;
    std::string m_start, m_end;  // a UTF-8 pattern's in UTF-8
    bool m_utf8 = false;
};

// Whether a typed text (Windows-1252) is meant as a pattern: it holds "*", "?", "[" or "\".
// Plain words keep the ordinary search and its type-ahead.
bool LooksLikePattern(std::string_view text);

// Takes every pattern character of text for itself: lexq --exact.
std::string Escaped(std::string_view text);

// A pattern as typed (UTF-8, one TPattern::ReadUtf8 accepts) as an anchored POSIX extended
// regular expression, for a DICT server's "re" strategy. The server compares it with its
// headwords as they are written (dictd ignores the case of A to Z only), so the letters
// are kept as typed rather than folded.
std::string PosixRegex(std::string_view utf8);

}  // namespace pattern
