#include "viewer/finder/BookKeys.h"

#include <algorithm>
#include <exception>

#include "viewer/core/BookText.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"

namespace {

// A text the library allocated, handed back however the reading of it ends.
class TLibraryText {
  public:
    TLibraryText() = default;
    ~TLibraryText() {
        if (m_text != nullptr && lexqapi::lexq_free_searchresult)
            lexqapi::lexq_free_searchresult(m_text);
    }
    TLibraryText(const TLibraryText &) = delete;
    TLibraryText &operator=(const TLibraryText &) = delete;
    char **Receive() { return &m_text; }
    std::string_view View() const { return m_text != nullptr ? m_text : std::string_view(); }

  private:
    char *m_text = nullptr;
};

}  // namespace

std::vector<TLXASearchResult> TableRows(std::string_view table) {
    std::vector<TLXASearchResult> rows;
    const TExtractedView whole = ExtractBetweenView(table, "<table>", "</table>");
    if (!whole.Before.empty() || !whole.After.empty())
        return rows;
    try {
        for (std::string_view rest = whole.Inner; !rest.empty();) {
            const TExtractedView row = ExtractBetweenView(rest, "<tr>", "</tr>");
            if (row.Inner.empty() || !row.Before.empty())
                return {};
            rows.emplace_back(std::string(row.Inner), -1);
            rest = row.After;
        }
    } catch (const std::exception &) {
        return {};
    }
    return rows;
}

// The open book's search, type-ahead and key walk: a UTF-8 book's through the UTF-8
// exports, whose texts are UTF-8 as the book's are.
static lexqapi::TLexqSearch BookSearch() {
    return booktext::IsUtf8() ? lexqapi::lexq_search_utf8 : lexqapi::lexq_search;
}
static lexqapi::TLexqPrefix BookPrefix() {
    return booktext::IsUtf8() ? lexqapi::lexq_prefix_utf8 : lexqapi::lexq_prefix;
}
static lexqapi::TLexqKeys BookKeyWalk() {
    return booktext::IsUtf8() ? lexqapi::lexq_keys_utf8 : lexqapi::lexq_keys;
}

bool HasTypeAhead() {
    return BookPrefix() != nullptr;
}

bool HasKeyWalk() {
    return BookKeyWalk() != nullptr;
}

std::vector<std::string> TypeAheadWords(const std::string &text, std::size_t limit) {
    std::vector<std::string> words;
    if (!HasTypeAhead() || limit == 0)
        return words;
    TLibraryText table;
    if (BookPrefix()(text.c_str(), static_cast<std::uint32_t>(limit), table.Receive()) !=
        lexqapi::LEXQ_ERR_NONE)
        return words;
    for (const TLXASearchResult &row : TableRows(table.View()))
        if (std::find(words.begin(), words.end(), row.Keyword) == words.end())
            words.push_back(row.Keyword);
    if (words.size() > limit)
        words.resize(limit);
    return words;
}

std::string KeyHeadword(const std::string &key) {
    const std::vector<std::string> words = TypeAheadWords(key, 1);
    return words.empty() ? key : words.front();
}

bool HasEntries(const std::string &text) {
    const lexqapi::TLexqSearch search = BookSearch();
    if (!search)
        return false;
    TLibraryText table;
    return search(text.c_str(), table.Receive()) == lexqapi::LEXQ_ERR_NONE;
}

// The hits of a quiet search in display order; false when it finds nothing or fails.
static bool QuietSearch(const std::string &text, TLXASearchResults &results) {
    const lexqapi::TLexqSearch search = BookSearch();
    if (!search)
        return false;
    TLibraryText table;
    if (search(text.c_str(), table.Receive()) != lexqapi::LEXQ_ERR_NONE)
        return false;
    results.SearchText = text;
    results.RawTable = std::string(table.View());
    try {
        results.ParseTable(-1);
    } catch (const std::exception &) {
        return false;
    }
    return results.Count() > 0;
}

std::string FirstHeadword(const std::string &text) {
    // The hits in the order the page would show them: the spelling the user meant first.
    TLXASearchResults results;
    return QuietSearch(text, results) ? results.GetItem(0).Keyword : std::string();
}

std::vector<std::string> HitBodies(const std::string &text, const std::string &headword) {
    std::vector<std::string> bodies, all;
    TLXASearchResults results;
    if (!QuietSearch(text, results))
        return bodies;
    for (std::int32_t i = 0; i < results.Count(); ++i) {
        const TLXASearchResult &hit = results.GetItem(i);
        (hit.Keyword == headword ? bodies : all).push_back(hit.Body);
    }
    return bodies.empty() ? all : bodies;
}

bool TKeyWalk::Next(std::uint32_t limit, const std::function<void(std::string_view key)> &emit) {
    if (m_state != State::Walking)
        return false;
    if (!HasKeyWalk()) {
        m_state = State::Failed;
        return false;
    }
    TLibraryText list;
    const std::int32_t code = BookKeyWalk()(m_after.c_str(), limit, list.Receive());
    if (code != lexqapi::LEXQ_ERR_NONE) {
        m_state = code == lexqapi::LEXQ_ERR_WORDNOTFOUND ? State::Finished : State::Failed;
        return false;
    }
    std::string_view rest = list.View();
    std::string_view last;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view key = rest.substr(0, end);
        // The library gives each key after the one before; anything else would loop.
        if (key.empty() || end == std::string_view::npos || key <= m_after ||
            (!last.empty() && key <= last)) {
            m_state = State::Failed;
            return false;
        }
        emit(key);
        last = key;
        rest.remove_prefix(end + 1);
    }
    if (last.empty()) {
        m_state = State::Failed;
        return false;
    }
    m_after.assign(last);
    return true;
}
