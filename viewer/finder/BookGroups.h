// Choices of several books: every installed book and every server book ("Alle
// woordenboeken"), and one group per source language that two or more of them share ("Alle uit het
// Nederlands"). The source language is the part of a book's name before the dash of its direction,
// as the base forms read it. Books keep their catalogue order inside a group.
#pragma once

#include <string>
#include <utility>
#include <vector>

class TLXABook;
class TLXABooks;

struct TBookGroup {
    std::string Language;  // empty for every book
    std::string Name;      // UTF-8, as the menu and the window title show it
    std::vector<TLXABook *> Books;
};

inline constexpr const char *kAllBooksName = "Alle woordenboeken";

// The languages a book's direction is named with here: code and Dutch name ("nl",
// "Nederlands"), by name.
std::vector<std::pair<std::string, std::string>> KnownLanguages();

// "Alle uit het Nederlands" for "nl"; a language without a Dutch name here is named by its
// code ("Alle uit het 'xh'").
std::string LanguageGroupName(const std::string &language);

// The group of every installed book first (even when there is only one), then the
// language groups in the order of their first book in the catalogue.
std::vector<TBookGroup> BookGroups(const TLXABooks &books);

// The group of that name (without regard to case); null when there is none. Not by its
// language code: "en" may well be a book's name.
const TBookGroup *FindGroup(const std::vector<TBookGroup> &groups, const std::string &name);

// How a group is named in a setting and on a command line: "*" for every book, "*nl" for a
// language; and back (false for a text that names no group this way).
std::string GroupKey(const TBookGroup &group);
bool IsGroupKey(const std::string &text);
const TBookGroup *FindGroupByKey(const std::vector<TBookGroup> &groups, const std::string &key);
