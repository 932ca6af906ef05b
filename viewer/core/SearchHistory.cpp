#include "viewer/core/SearchHistory.h"

#include <algorithm>

#include "platform/cp1252.h"
#include "platform/registry.h"

namespace {

// One value of several texts; the settings store holds any Unicode as UTF-8.
const char *const kRecentValue = "SearchHistory";
constexpr platform::RegText kText = platform::RegText::Utf8;

std::vector<std::string> ReadStored(const std::string &regKey) {
    std::vector<std::string> words;
    platform::RegKey key;
    if (platform::RegOpenKey(platform::RegRoot::CurrentUser, platform::Cp1252ToUtf8(regKey),
                             platform::RegAccess::Read, key, kText) != platform::kRegOk)
        return words;
    platform::RegType type = platform::RegType::None;
    std::string data;
    if (platform::RegGetValue(key, kRecentValue, type, data) != platform::kRegOk ||
        type != platform::RegType::MultiString)
        return words;
    std::size_t at = 0;
    while (at < data.size() && words.size() < TRecentSearches::kLimit) {
        std::size_t end = data.find('\0', at);
        if (end == std::string::npos)
            end = data.size();
        if (end > at)
            words.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

void PutFirst(std::vector<std::string> &words, const std::string &word) {
    words.erase(std::remove(words.begin(), words.end(), word), words.end());
    words.insert(words.begin(), word);
}

}  // namespace

void TSearchTrail::Record(const TVisit &visit) {
    if (TVisit *shown = Current(); shown != nullptr && shown->SameSearch(visit))
        return;
    if (!m_visits.empty())
        m_visits.resize(m_at + 1);
    m_visits.push_back(visit);
    if (m_visits.size() > kLimit)
        m_visits.erase(m_visits.begin());
    m_at = m_visits.size() - 1;
}

const TVisit *TSearchTrail::Back() {
    if (!CanGoBack())
        return nullptr;
    return &m_visits[--m_at];
}

const TVisit *TSearchTrail::Forward() {
    if (!CanGoForward())
        return nullptr;
    return &m_visits[++m_at];
}

TVisit *TSearchTrail::Current() {
    return m_visits.empty() ? nullptr : &m_visits[m_at];
}

void TRecentSearches::Add(const std::string &word) {
    // A word that the list value could not hold whole is not kept.
    if (word.empty() || word.find('\0') != std::string::npos)
        return;
    PutFirst(m_words, word);
    if (m_words.size() > kLimit)
        m_words.resize(kLimit);
    PutFirst(m_added, word);
    if (m_added.size() > kLimit)
        m_added.resize(kLimit);
}

void TRecentSearches::Load(const std::string &regKey) {
    m_words = ReadStored(regKey);
    m_added.clear();
}

void TRecentSearches::Save(const std::string &regKey) const {
    if (m_added.empty())
        return;
    std::vector<std::string> words = m_added;
    for (const std::string &stored : ReadStored(regKey))
        if (std::find(words.begin(), words.end(), stored) == words.end())
            words.push_back(stored);
    if (words.size() > kLimit)
        words.resize(kLimit);
    std::string data;
    for (const std::string &word : words) {
        data += word;
        data += '\0';
    }
    data += '\0';
    platform::RegKey key;
    if (platform::RegCreateKey(platform::RegRoot::CurrentUser, platform::Cp1252ToUtf8(regKey), key,
                               kText) == platform::kRegOk)
        platform::RegSetValue(key, kRecentValue, platform::RegType::MultiString, data);
}
