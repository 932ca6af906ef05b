#include "viewer/finder/Pattern.h"

#include <cstring>

#include "foldtable.h"

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

bool TPattern::HasWildcard() const {
    return m_start.size() < m_steps.size();
}

bool TPattern::Matches(std::string_view key) const {
    // The classic glob walk: on a mismatch go back to the last "*" and let it take one
    // more letter; each "*" only ever moves forward, so the walk is O(key x pattern).
    std::size_t k = 0, s = 0;
    std::size_t starStep = std::string_view::npos, starKey = 0;
    while (k < key.size()) {
        if (s < m_steps.size() && m_steps[s].What == TStep::Kind::AnyRun) {
            starStep = s++;
            starKey = k;
        } else if (s < m_steps.size() && StepMatches(m_steps[s], key[k])) {
            ++s;
            ++k;
        } else if (starStep != std::string_view::npos) {
            s = starStep + 1;
            k = ++starKey;
        } else {
            return false;
        }
    }
    while (s < m_steps.size() && m_steps[s].What == TStep::Kind::AnyRun)
        ++s;
    return s == m_steps.size();
}

}  // namespace pattern
