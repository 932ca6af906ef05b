// libFuzzer target: a pattern as typed (Windows-1252), then keys to match it against, one
// per line after the part separator (the pattern's own letters when there are none).
//
// Properties: a refused pattern says why; a read one matches a key exactly when a plain
// matcher by table says so; every match starts with the fixed start and ends with the
// fixed end. The same text is read as a pattern on a UTF-8 book's keys too, matched
// against the lines' UTF-8 keys by characters, and as the regular expression a DICT server
// is sent, which must compile.
#include <regex.h>

#include <string>
#include <vector>

#include "foldtable_utf8.h"
#include "fuzz_support.h"
#include "viewer/finder/Pattern.h"

namespace {

using pattern::TStep;

// Keys matched per input, and their length: the reference table grows with both.
constexpr std::size_t kMostKeys = 32;
constexpr std::size_t kLongestKey = 24;

bool StepTakes(const TStep &step, char c) {
    switch (step.What) {
        case TStep::Kind::Letter:
            return step.Letter == c;
        case TStep::Kind::AnyLetter:
            return true;
        case TStep::Kind::OneOf:
            return c >= 'A' && c <= 'Z' && step.Letters.test(static_cast<std::size_t>(c - 'A'));
        case TStep::Kind::AnyRun:
            break;
    }
    return false;
}

// The match as a table: whether the first s steps take the first k letters.
bool Reference(const std::vector<TStep> &steps, std::string_view key) {
    std::vector<std::vector<bool>> takes(steps.size() + 1, std::vector<bool>(key.size() + 1));
    takes[0][0] = true;
    for (std::size_t s = 1; s <= steps.size(); ++s) {
        for (std::size_t k = 0; k <= key.size(); ++k) {
            if (steps[s - 1].What == TStep::Kind::AnyRun)
                takes[s][k] = takes[s - 1][k] || (k > 0 && takes[s][k - 1]);
            else
                takes[s][k] = k > 0 && takes[s - 1][k - 1] && StepTakes(steps[s - 1], key[k - 1]);
        }
    }
    return takes[steps.size()][key.size()];
}

// A key from a line: its letters A to Z, others dropped.
std::string Key(std::string_view line) {
    std::string key;
    for (const char c : line) {
        if (c >= 'A' && c <= 'Z')
            key += c;
        else if (c >= 'a' && c <= 'z')
            key += static_cast<char>(c - 'a' + 'A');
    }
    return key.substr(0, kLongestKey);
}

bool StepTakesUtf8(const TStep &step, char32_t c) {
    switch (step.What) {
        case TStep::Kind::Letter:
            return step.Character == c;
        case TStep::Kind::AnyLetter:
            return true;
        case TStep::Kind::OneOf:
            for (const auto &[first, last] : step.Characters)
                if (first <= c && c <= last)
                    return true;
            return false;
        case TStep::Kind::AnyRun:
            break;
    }
    return false;
}

// The characters of a key (well-formed UTF-8).
std::u32string Characters(std::string_view key) {
    std::u32string characters;
    const auto *p = reinterpret_cast<const std::uint8_t *>(key.data());
    const std::uint8_t *end = p + key.size();
    while (p < end) {
        std::uint32_t code = 0;
        const std::size_t used = lexq_utf8_next(p, end, &code);
        fuzz::Check(used > 0, "a key that is no UTF-8");
        p += used;
        characters += static_cast<char32_t>(code);
    }
    return characters;
}

bool ReferenceUtf8(const std::vector<TStep> &steps, const std::u32string &key) {
    std::vector<std::vector<bool>> takes(steps.size() + 1, std::vector<bool>(key.size() + 1));
    takes[0][0] = true;
    for (std::size_t s = 1; s <= steps.size(); ++s) {
        for (std::size_t k = 0; k <= key.size(); ++k) {
            if (steps[s - 1].What == TStep::Kind::AnyRun)
                takes[s][k] = takes[s - 1][k] || (k > 0 && takes[s][k - 1]);
            else
                takes[s][k] =
                    k > 0 && takes[s - 1][k - 1] && StepTakesUtf8(steps[s - 1], key[k - 1]);
        }
    }
    return takes[steps.size()][key.size()];
}

// The pattern read for a UTF-8 book, against the UTF-8 keys of the lines.
void CheckUtf8(std::string_view text, std::string_view lines) {
    std::string error;
    const auto read = pattern::TPattern::ReadUtf8(text, error);
    if (!read) {
        fuzz::Check(!error.empty(), "a refused UTF-8 pattern without a reason");
        return;
    }
    fuzz::Check(read->Utf8(), "a UTF-8 pattern that does not say so");
    // What a DICT server is sent: an expression it can read, with no control character.
    const std::string regex = pattern::PosixRegex(text);
    for (const char c : regex)
        fuzz::Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F,
                    "a control character in a server's expression");
    regex_t compiled;
    fuzz::Check(::regcomp(&compiled, regex.c_str(), REG_EXTENDED | REG_NOSUB) == 0,
                "a server's expression that does not compile");
    ::regfree(&compiled);
    std::vector<std::string> keys;
    while (!lines.empty() && keys.size() < kMostKeys) {
        const std::size_t end = std::min(lines.find('\n'), lines.size());
        std::string key = lexq_fold_utf8_string(lines.substr(0, std::min(end, 4 * kLongestKey)));
        keys.push_back(std::move(key));
        lines.remove_prefix(std::min(end + 1, lines.size()));
    }
    keys.push_back(read->FixedStart() + read->FixedEnd());
    for (const std::string &key : keys) {
        const bool matches = read->Matches(key);
        fuzz::Check(matches == ReferenceUtf8(read->Steps(), Characters(key)),
                    "the UTF-8 match disagrees");
        if (!matches)
            continue;
        fuzz::Check(key.rfind(read->FixedStart(), 0) == 0, "a UTF-8 match without the fixed start");
        fuzz::Check(key.size() >= read->FixedEnd().size() &&
                        key.compare(key.size() - read->FixedEnd().size(), read->FixedEnd().size(),
                                    read->FixedEnd()) == 0,
                    "a UTF-8 match without the fixed end");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::vector<std::string_view> parts =
        fuzz::SplitParts(std::string_view(reinterpret_cast<const char *>(data), size), 2);
    CheckUtf8(parts[0], parts.size() > 1 ? parts[1] : parts[0]);
    std::string error;
    const auto read = pattern::TPattern::Read(parts[0], error);
    if (!read) {
        fuzz::Check(!error.empty(), "a refused pattern without a reason");
        return 0;
    }
    std::vector<std::string> keys;
    std::string_view lines = parts.size() > 1 ? parts[1] : parts[0];
    while (!lines.empty() && keys.size() < kMostKeys) {
        const std::size_t end = std::min(lines.find('\n'), lines.size());
        keys.push_back(Key(lines.substr(0, end)));
        lines.remove_prefix(std::min(end + 1, lines.size()));
    }
    keys.push_back(read->FixedStart() + read->FixedEnd());
    for (const std::string &key : keys) {
        const bool matches = read->Matches(key);
        fuzz::Check(matches == Reference(read->Steps(), key), "the match disagrees");
        if (!matches)
            continue;
        fuzz::Check(key.rfind(read->FixedStart(), 0) == 0, "a match without the fixed start");
        fuzz::Check(key.size() >= read->FixedEnd().size() &&
                        key.compare(key.size() - read->FixedEnd().size(), read->FixedEnd().size(),
                                    read->FixedEnd()) == 0,
                    "a match without the fixed end");
    }
    return 0;
}
