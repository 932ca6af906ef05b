// The command line of lexq: options and the words to look up.
#pragma once

#include <string>
#include <vector>

namespace lexq {

struct TOptions {
    std::string Book;  // -d BOOK; empty: the viewer's last book, else the first installed
    bool Html = false;
    bool List = false;
    bool Help = false;
    bool Exact = false;        // --exact: no base forms, no suggestions
    bool All = false;          // --all: every installed book at once
    bool HasPrefix = false;    // --prefix TEXT: the type-ahead list of TEXT
    std::string Prefix;        // as typed (UTF-8)
    bool HasFulltext = false;  // --fulltext QUERY: the entries whose text has the words
    std::string Fulltext;      // as typed (UTF-8)
    bool Star = false;         // --star: the entries found go to a word list
    std::string ToList;        // --to LIST; empty: the default list
    bool ListWords = false;    // --list-words [LIST]: the list's headwords
    bool ExportAnki = false;   // --export-anki [LIST] FILE: the list as Anki notes
    int TimeoutSeconds = 0;    // --timeout SECONDS: the servers' reply time; 0: the user's setting
    std::vector<std::string> Words;  // as typed (UTF-8); the LIST and FILE of the two above
};

// Parses the arguments after the program name. On a mistake returns false with a
// message (UTF-8) for standard error.
bool ParseOptions(const std::vector<std::string> &arguments, TOptions &options, std::string &error);

// The text of -h / --help (UTF-8).
std::string HelpText();

}  // namespace lexq
