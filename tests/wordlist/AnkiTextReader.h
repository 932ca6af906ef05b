// A reader of Anki's text import, written from Anki's manual ("Importing > Text Files" and
// its "File Headers") and nothing else, so that it checks the writer instead of mirroring
// it. Header lines "#name:value" at the top set the separator (a name such as Tab, Comma,
// Semicolon, Space, Pipe, Colon, or the character itself), whether fields are HTML, the
// column names (separated by the separator) and which 1-based column holds the tags
// (blank-separated). A field may stand in double quotes, which lets it hold the separator
// and line breaks; a quote inside is written twice.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace ankitest {

struct Note {
    std::vector<std::string> Fields;  // in column order, the tags column left out
    std::vector<std::string> Tags;
};

struct TextFile {
    std::map<std::string, std::string> Headers;  // name (lower case) -> value as written
    char Separator = 0;                          // 0 when no header names one
    bool Html = false;
    std::vector<std::string> Columns;
    int TagsColumn = 0;  // 1-based; 0: none
    std::vector<Note> Notes;
    std::string Problem;  // empty when the file reads cleanly
};

TextFile ReadTextFile(const std::string &bytes);

}  // namespace ankitest
