#include "viewer/finder/BookGroups.h"

#include <QString>
#include <algorithm>
#include <map>

#include "viewer/core/LXA_Books.h"
#include "viewer/finder/WordFinder.h"

namespace {

struct TLanguageName {
    const char *Code;
    const char *Name;
};

// The languages a book's direction is likely to start with, in Dutch.
constexpr TLanguageName kLanguages[] = {
    {"ar", "Arabisch"},  {"cs", "Tsjechisch"}, {"da", "Deens"},     {"de", "Duits"},
    {"el", "Grieks"},    {"en", "Engels"},     {"eo", "Esperanto"}, {"es", "Spaans"},
    {"fi", "Fins"},      {"fr", "Frans"},      {"fy", "Fries"},     {"hu", "Hongaars"},
    {"it", "Italiaans"}, {"ja", "Japans"},     {"la", "Latijn"},    {"nl", "Nederlands"},
    {"no", "Noors"},     {"pl", "Pools"},      {"pt", "Portugees"}, {"ru", "Russisch"},
    {"sv", "Zweeds"},    {"tr", "Turks"},      {"uk", "Oekraïens"}, {"zh", "Chinees"},
};

bool SameName(const std::string &a, const std::string &b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> KnownLanguages() {
    std::vector<std::pair<std::string, std::string>> languages;
    for (const TLanguageName &entry : kLanguages)
        languages.emplace_back(entry.Code, entry.Name);
    std::sort(languages.begin(), languages.end(),
              [](const auto &a, const auto &b) { return a.second < b.second; });
    return languages;
}

std::string LanguageGroupName(const std::string &language) {
    for (const TLanguageName &entry : kLanguages)
        if (language == entry.Code)
            return std::string("Alle uit het ") + entry.Name;
    return "Alle uit het '" + language + "'";
}

std::vector<TBookGroup> BookGroups(const TLXABooks &books) {
    std::vector<TBookGroup> groups(1);
    groups[0].Name = kAllBooksName;
    std::vector<std::string> order;
    std::map<std::string, std::vector<TLXABook *>> byLanguage;
    for (std::int32_t i = 0; i < books.Count(); ++i) {
        TLXABook *book = books.FindBook(books.NameAt(i));
        // A server's book has no files here but answers all the same.
        if (book == nullptr || !book->Searchable() || book->Hidden)
            continue;
        groups[0].Books.push_back(book);
        const std::string language = SourceLanguage(book->Name);
        if (language.empty())
            continue;
        if (byLanguage.count(language) == 0)
            order.push_back(language);
        byLanguage[language].push_back(book);
    }
    for (const std::string &language : order) {
        if (byLanguage[language].size() < 2)
            continue;
        groups.push_back({language, LanguageGroupName(language), byLanguage[language]});
    }
    return groups;
}

const TBookGroup *FindGroup(const std::vector<TBookGroup> &groups, const std::string &name) {
    const auto found = std::find_if(groups.begin(), groups.end(), [&](const TBookGroup &group) {
        return SameName(group.Name, name);
    });
    return found != groups.end() ? &*found : nullptr;
}

std::string GroupKey(const TBookGroup &group) {
    return "*" + group.Language;
}

bool IsGroupKey(const std::string &text) {
    return !text.empty() && text[0] == '*';
}

const TBookGroup *FindGroupByKey(const std::vector<TBookGroup> &groups, const std::string &key) {
    if (!IsGroupKey(key))
        return nullptr;
    const auto found = std::find_if(groups.begin(), groups.end(), [&](const TBookGroup &group) {
        return GroupKey(group) == key;
    });
    return found != groups.end() ? &*found : nullptr;
}
