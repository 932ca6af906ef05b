#include "viewer/finder/PatternSearch.h"

#include <algorithm>

#include "books/article_index.h"
#include "books/html.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/FinderPage.h"

namespace {

// The greatest text below every key that starts with prefix (keys of the letters A to Z
// are all below '~', a UTF-8 book's keys below a byte 0xFF), so that the walk after it
// begins at the prefix's first key.
std::string Before(const std::string &prefix, bool utf8) {
    std::string before = prefix;
    before.back() = static_cast<char>(before.back() - 1);
    return before + (utf8 ? '\xFF' : '~');
}

std::string Link(const std::string &word) {
    return "<a href=\"" + SearchLink(word) + "\">" + EscapePageText(word) + "</a>";
}

}  // namespace

TForwardKeys LibraryKeys() {
    return [](const std::string &after, const std::function<bool(std::string_view)> &visit) {
        TKeyWalk walk(after);
        bool more = true;
        // Small first slices: a narrow prefix is answered without reading ahead.
        std::uint32_t slice = 64;
        while (more && walk.Next(slice, [&](std::string_view key) {
            if (more)
                more = visit(key);
        }))
            slice = 1024;
        return !walk.Failed();
    };
}

TPatternMatches FindPatternKeys(const pattern::TPattern &pattern, std::size_t limit,
                                const TForwardKeys &forward, books::ArticleIndex *reversed) {
    TPatternMatches found;
    const auto take = [&](std::string_view key) {
        if (pattern.Matches(key)) {
            if (found.Keys.size() < limit)
                found.Keys.emplace_back(key);
            ++found.Total;
        }
    };
    const std::string &start = pattern.FixedStart();
    if (!start.empty()) {
        found.Walked = TPatternMatches::Route::Prefix;
        found.Failed = !forward(Before(start, pattern.Utf8()), [&](std::string_view key) {
            if (key.substr(0, start.size()) != start)
                return false;
            take(key);
            return true;
        });
        return found;
    }
    if (!pattern.FixedEnd().empty() && reversed != nullptr) {
        found.Walked = TPatternMatches::Route::Suffix;
        // The reversed order is not key order: every match is kept, then sorted and cut.
        std::vector<std::string> keys;
        found.Failed = !reversed->KeysEndingWith(pattern.FixedEnd(), [&](std::string_view key) {
            if (pattern.Matches(key))
                keys.emplace_back(key);
            return true;
        });
        std::sort(keys.begin(), keys.end());
        found.Total = keys.size();
        keys.resize(std::min(keys.size(), limit));
        found.Keys = std::move(keys);
        return found;
    }
    found.Failed = !forward("", [&](std::string_view key) {
        take(key);
        return true;
    });
    return found;
}

std::string PatternSentence(std::size_t total, const std::string &typed) {
    return std::to_string(total) + (total == 1 ? " trefwoord past" : " trefwoorden passen") +
           " bij '" + typed + "'.";
}

std::string PatternLines(const std::vector<std::string> &headwords, std::size_t total,
                         const std::string &typed) {
    std::string links;
    for (const std::string &headword : headwords)
        links += (links.empty() ? "" : "<br>") + Link(headword);
    std::string lines =
        "<p class=\"zoekhulp\">" + EscapePageText(PatternSentence(total, typed)) + "</p>";
    if (!links.empty())
        lines += "\r\n    <p class=\"zoekhulp\">" + links + "</p>";
    if (total > headwords.size())
        lines += "\r\n    <p class=\"zoekhulp\"><i>En nog " +
                 std::to_string(total - headwords.size()) +
                 " trefwoorden die niet worden getoond.</i></p>";
    return lines;
}

std::string PatternError(const std::string &typed, const std::string &reason) {
    return "Het patroon '" + typed + "' klopt niet: " + reason;
}
