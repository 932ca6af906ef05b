// What the user searched: the window's trail of searches to go back and forward through,
// and the recent searches offered under the search field, kept per user in the settings.
// Words are UTF-8 (the search field's text), book names the catalogue's keys.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One search as it was shown: the book, the word, and the place in the page's text that
// was at the top of the view.
struct TVisit {
    std::string Book;
    std::string Word;
    int Place = 0;

    bool SameSearch(const TVisit &other) const { return Book == other.Book && Word == other.Word; }
};

// The searches of one window in order, with the one shown. A new search after going back
// drops the searches ahead of it, as a browser's history does.
class TSearchTrail {
  public:
    static constexpr std::size_t kLimit = 500;

    // Adds the search after the one shown and shows it; the same search as the one shown
    // adds nothing.
    void Record(const TVisit &visit);
    bool CanGoBack() const { return m_at > 0 && m_at <= m_visits.size(); }
    bool CanGoForward() const { return m_at + 1 < m_visits.size(); }
    // Moves back or forward and returns the search to show; null at either end.
    const TVisit *Back();
    const TVisit *Forward();
    // The search shown, null before the first; its place is kept up to date.
    TVisit *Current();
    const std::vector<TVisit> &Visits() const { return m_visits; }

  private:
    std::vector<TVisit> m_visits;
    std::size_t m_at = 0;  // index of the shown search; meaningless while m_visits is empty
};

// The last searched words, newest first, each once.
class TRecentSearches {
  public:
    static constexpr std::size_t kLimit = 50;

    // Puts the word in front (moving it there when it is listed already).
    void Add(const std::string &word);
    const std::vector<std::string> &Words() const { return m_words; }

    // The list kept under the application's registry key (as the viewer holds it, in
    // Windows-1252) for the current user; an unreadable or missing list reads as empty.
    void Load(const std::string &regKey);
    // Stores the list, joined with what another window stored meanwhile: this window's
    // words first, then the stored ones it lacks, up to the limit.
    void Save(const std::string &regKey) const;

  private:
    std::vector<std::string> m_words;
    std::vector<std::string> m_added;  // added since Load, newest first
};
