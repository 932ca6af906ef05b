#include "viewer/finder/Pattern.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>

#include "foldtable.h"
#include "foldtable_utf8.h"

namespace pattern {

namespace {

const char *Fold(char c) {
    return lexq_fold_table[static_cast<unsigned char>(c)];
}

bool IsSpecial(char c) {
    return c == '*' || c == '?' || c == '[' || c == '\\';
}

TStep LetterStep(char letter) {
    TStep step;
    step.Letter = letter;
    return step;
}

// Reads "[...]" from text[i] (the character after '['); leaves i after the ']'.
bool ReadSet(std::string_view text, std::size_t &i, TStep &step, std::string &error) {
    step.What = TStep::Kind::OneOf;
    int pending = -1;  // a letter that may start a range
    bool range = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == ']') {
            ++i;
            if (range) {
                error = "een bereik tussen '[' en ']' heeft geen eindletter.";
                return false;
            }
            if (step.Letters.none()) {
                error = "tussen '[' en ']' staat geen letter.";
                return false;
            }
            return true;
        }
        if (c == '-' && pending >= 0 && !range) {
            range = true;
            continue;
        }
        if (c == '\\') {
            if (++i == text.size())
                break;
            c = text[i];
        }
        const char *letters = Fold(c);
        if (std::strlen(letters) > 1) {
            error = std::string("tussen '[' en ']' staat '") + c +
                    "', dat voor meer dan een letter staat.";
            return false;
        }
        if (letters[0] == '\0')
            continue;  // blanks and punctuation fold to nothing, as in a word
        const int letter = letters[0] - 'A';
        if (range) {
            if (letter < pending) {
                error = "een bereik tussen '[' en ']' loopt achteruit.";
                return false;
            }
            for (int l = pending; l <= letter; ++l)
                step.Letters.set(static_cast<std::size_t>(l));
            range = false;
            pending = -1;
        } else {
            step.Letters.set(static_cast<std::size_t>(letter));
            pending = letter;
        }
    }
    error = "'[' wordt niet gesloten met ']'.";
    return false;
}

bool StepMatches(const TStep &step, char c) {
    switch (step.What) {
        case TStep::Kind::Letter:
            return c == step.Letter;
        case TStep::Kind::AnyLetter:
            return true;
        case TStep::Kind::OneOf:
            return c >= 'A' && c <= 'Z' && step.Letters.test(static_cast<std::size_t>(c - 'A'));
        case TStep::Kind::AnyRun:
            break;
    }
    return false;
}

// The characters of UTF-8 text, a byte that is no UTF-8 taken as U+FFFD.
std::u32string Characters(std::string_view utf8) {
    std::u32string characters;
    const auto *p = reinterpret_cast<const std::uint8_t *>(utf8.data());
    const std::uint8_t *end = p + utf8.size();
    while (p < end) {
        std::uint32_t code = 0xFFFD;
        p += std::max<std::size_t>(1, lexq_utf8_next(p, end, &code));
        characters += static_cast<char32_t>(code);
    }
    return characters;
}

std::string Utf8Of(char32_t code) {
    char bytes[4];
    std::size_t length = 0;
    if (code < 0x80) {
        bytes[length++] = static_cast<char>(code);
    } else if (code < 0x800) {
        bytes[length++] = static_cast<char>(0xC0 | (code >> 6));
        bytes[length++] = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes[length++] = static_cast<char>(0xE0 | (code >> 12));
        bytes[length++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes[length++] = static_cast<char>(0xF0 | (code >> 18));
        bytes[length++] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (code & 0x3F));
    }
    return std::string(bytes, length);
}

// A character folded by the UTF-8 key rule: none, one or several characters.
std::u32string FoldUtf8(char32_t code) {
    return Characters(lexq_fold_utf8_string(Utf8Of(code)));
}

TStep CharacterStep(char32_t code) {
    TStep step;
    step.Character = code;
    return step;
}

// ReadSet for a UTF-8 pattern: ranges of folded characters.
bool ReadSetUtf8(const std::u32string &text, std::size_t &i, TStep &step, std::string &error) {
    step.What = TStep::Kind::OneOf;
    std::optional<char32_t> pending;  // a character that may start a range
    bool range = false;
    for (; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c == U']') {
            ++i;
            if (range) {
                error = "een bereik tussen '[' en ']' heeft geen eindletter.";
                return false;
            }
            if (step.Characters.empty()) {
                error = "tussen '[' en ']' staat geen letter.";
                return false;
            }
            return true;
        }
        if (c == U'-' && pending && !range) {
            range = true;
            continue;
        }
        if (c == U'\\') {
            if (++i == text.size())
                break;
            c = text[i];
        }
        const std::u32string folded = FoldUtf8(c);
        if (folded.size() > 1) {
            error =
                "tussen '[' en ']' staat '" + Utf8Of(c) + "', dat voor meer dan een letter staat.";
            return false;
        }
        if (folded.empty())
            continue;  // blanks and punctuation fold to nothing, as in a word
        if (range) {
            if (folded[0] < *pending) {
                error = "een bereik tussen '[' en ']' loopt achteruit.";
                return false;
            }
            step.Characters.back().second = folded[0];
            range = false;
            pending.reset();
        } else {
            step.Characters.emplace_back(folded[0], folded[0]);
            pending = folded[0];
        }
    }
    error = "'[' wordt niet gesloten met ']'.";
    return false;
}

bool StepMatchesUtf8(const TStep &step, char32_t c) {
    switch (step.What) {
        case TStep::Kind::Letter:
            return c == step.Character;
        case TStep::Kind::AnyLetter:
            return true;
        case TStep::Kind::OneOf:
            for (const auto &[first, last] : step.Characters)
                if (c >= first && c <= last)
                    return true;
            return false;
        case TStep::Kind::AnyRun:
            break;
    }
    return false;
}

// The glob walk of TPattern::Matches over any kind of unit: on a mismatch go back to the
// last "*" and let it take one more unit; each "*" only ever moves forward, so the walk is
// O(key x pattern).
template <typename Text, typename StepMatches>
bool GlobMatches(const std::vector<TStep> &steps, const Text &key, const StepMatches &matches) {
    std::size_t k = 0, s = 0;
    std::size_t starStep = std::string_view::npos, starKey = 0;
    while (k < key.size()) {
        if (s < steps.size() && steps[s].What == TStep::Kind::AnyRun) {
            starStep = s++;
            starKey = k;
        } else if (s < steps.size() && matches(steps[s], key[k])) {
            ++s;
            ++k;
        } else if (starStep != std::string_view::npos) {
            s = starStep + 1;
            k = ++starKey;
        } else {
            return false;
        }
    }
    while (s < steps.size() && steps[s].What == TStep::Kind::AnyRun)
        ++s;
    return s == steps.size();
}

}  // namespace

bool LooksLikePattern(std::string_view text) {
    for (const char c : text)
        if (IsSpecial(c))
            return true;
    return false;
}

std::string Escaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (IsSpecial(c))
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

namespace {

bool IsAsciiAlnum(char32_t c) {
    return c < 0x80 && std::isalnum(static_cast<int>(c));
}

// Control characters are no part of a headword, and no command may carry them.
bool IsControl(char32_t c) {
    return c < 0x20 || c == 0x7F;
}

// One character for itself: letters and digits as they are, an ASCII sign in a bracket
// (where only ']' and '^' need more), anything beyond ASCII as its bytes.
std::string RegexCharacter(char32_t c) {
    if (IsControl(c))
        return {};
    if (c >= 0x80 || IsAsciiAlnum(c))
        return Utf8Of(c);
    if (c == U']')
        return "[]]";
    if (c == U'^')
        return "\\^";
    return "[" + Utf8Of(c) + "]";
}

// A set: its ASCII letters and digits (and ranges between them) in one bracket, every other
// member an alternative of its own, so that no sign can mean something in the bracket and a
// server comparing bytes still matches whole characters. A range is spelled out up to a
// bound where it has to be.
std::string RegexSet(const std::vector<std::pair<char32_t, char32_t>> &ranges) {
    constexpr char32_t kLongestSpelledRange = 128;
    std::string bracket;
    std::vector<std::string> others;
    const auto add = [&](char32_t c) {
        if (IsAsciiAlnum(c))
            bracket += static_cast<char>(c);
        else if (!IsControl(c))
            others.push_back(RegexCharacter(c));
    };
    for (const auto &[from, to] : ranges) {
        if (from != to && IsAsciiAlnum(from) && IsAsciiAlnum(to)) {
            bracket += Utf8Of(from) + "-" + Utf8Of(to);
            continue;
        }
        for (char32_t c = from; c <= to && c - from <= kLongestSpelledRange; ++c)
            add(c);
    }
    if (!bracket.empty())
        others.insert(others.begin(), "[" + bracket + "]");
    if (others.size() <= 1)
        return others.empty() ? std::string() : others.front();
    std::string alternatives;
    for (const std::string &other : others)
        alternatives += (alternatives.empty() ? "" : "|") + other;
    return "(" + alternatives + ")";
}

}  // namespace

std::string PosixRegex(std::string_view utf8) {
    const std::u32string text = Characters(utf8);
    std::string regex = "^";
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = text[i++];
        if (c == U'*') {
            if (!regex.ends_with(".*"))
                regex += ".*";
        } else if (c == U'?') {
            // One character of UTF-8, for a server that compares bytes (dictd's default);
            // no control character, which no headword holds and no command may carry.
            regex += "([ -~]|[\xC2-\xF4][\x80-\xBF]+)";
        } else if (c == U'[') {
            std::vector<std::pair<char32_t, char32_t>> ranges;
            while (i < text.size() && text[i] != U']') {
                char32_t from = text[i++];
                if (from == U'\\' && i < text.size())
                    from = text[i++];
                char32_t to = from;
                if (i + 1 < text.size() && text[i] == U'-' && text[i + 1] != U']') {
                    to = text[i + 1];
                    i += 2;
                    if (to == U'\\' && i < text.size())
                        to = text[i++];
                }
                ranges.emplace_back(std::min(from, to), std::max(from, to));
            }
            ++i;  // the ']'
            regex += RegexSet(ranges);
        } else {
            if (c == U'\\' && i < text.size())
                c = text[i++];
            regex += RegexCharacter(c);
        }
    }
    return regex + "$";
}

std::optional<TPattern> TPattern::Read(std::string_view text, std::string &error) {
    TPattern pattern;
    std::vector<TStep> &steps = pattern.m_steps;
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i++];
        if (c == '*') {
            // A run of stars is one star: the match stays linear.
            if (steps.empty() || steps.back().What != TStep::Kind::AnyRun) {
                TStep step;
                step.What = TStep::Kind::AnyRun;
                steps.push_back(step);
            }
            continue;
        }
        if (c == '?') {
            TStep step;
            step.What = TStep::Kind::AnyLetter;
            steps.push_back(step);
            continue;
        }
        if (c == '[') {
            TStep step;
            if (!ReadSet(text, i, step, error))
                return std::nullopt;
            steps.push_back(step);
            continue;
        }
        if (c == '\\') {
            if (i == text.size()) {
                error = "het eindigt op een '\\' zonder teken erna.";
                return std::nullopt;
            }
            c = text[i++];
        }
        for (const char *letter = Fold(c); *letter != '\0'; ++letter)
            steps.push_back(LetterStep(*letter));
    }
    if (steps.empty()) {
        error = "er staat geen letter en geen '*', '?' of '[...]' in.";
        return std::nullopt;
    }
    std::size_t first = 0;
    while (first < steps.size() && steps[first].What == TStep::Kind::Letter)
        pattern.m_start += steps[first++].Letter;
    if (first < steps.size()) {
        std::size_t last = steps.size();
        while (last > 0 && steps[last - 1].What == TStep::Kind::Letter)
            --last;
        for (std::size_t s = last; s < steps.size(); ++s)
            pattern.m_end += steps[s].Letter;
    }
    return pattern;
}

std::optional<TPattern> TPattern::ReadUtf8(std::string_view utf8, std::string &error) {
    TPattern pattern;
    pattern.m_utf8 = true;
    std::vector<TStep> &steps = pattern.m_steps;
    const std::u32string text = Characters(utf8);
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = text[i++];
        if (c == U'*') {
            if (steps.empty() || steps.back().What != TStep::Kind::AnyRun) {
                TStep step;
                step.What = TStep::Kind::AnyRun;
                steps.push_back(step);
            }
            continue;
        }
        if (c == U'?') {
            TStep step;
            step.What = TStep::Kind::AnyLetter;
            steps.push_back(step);
            continue;
        }
        if (c == U'[') {
            TStep step;
            if (!ReadSetUtf8(text, i, step, error))
                return std::nullopt;
            steps.push_back(step);
            continue;
        }
        if (c == U'\\') {
            if (i == text.size()) {
                error = "het eindigt op een '\\' zonder teken erna.";
                return std::nullopt;
            }
            c = text[i++];
        }
        for (const char32_t folded : FoldUtf8(c))
            steps.push_back(CharacterStep(folded));
    }
    if (steps.empty()) {
        error = "er staat geen letter en geen '*', '?' of '[...]' in.";
        return std::nullopt;
    }
    std::size_t first = 0;
    while (first < steps.size() && steps[first].What == TStep::Kind::Letter)
        pattern.m_start += Utf8Of(steps[first++].Character);
    if (first < steps.size()) {
        std::size_t last = steps.size();
        while (last > 0 && steps[last - 1].What == TStep::Kind::Letter)
            --last;
        for (std::size_t s = last; s < steps.size(); ++s)
            pattern.m_end += Utf8Of(steps[s].Character);
    }
    return pattern;
}

bool TPattern::MatchesUtf8(std::string_view key) const {
    return GlobMatches(m_steps, Characters(key), StepMatchesUtf8);
}

bool TPattern::HasWildcard() const {
    return std::any_of(m_steps.begin(), m_steps.end(),
                       [](const TStep &step) { return step.What != TStep::Kind::Letter; });
}

bool TPattern::Matches(std::string_view key) const {
    if (m_utf8)
        return MatchesUtf8(key);
    return GlobMatches(m_steps, key, StepMatches);
}

}  // namespace pattern
