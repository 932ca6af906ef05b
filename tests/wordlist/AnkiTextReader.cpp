#include "AnkiTextReader.h"

#include <cctype>

namespace ankitest {

namespace {

std::string Lowered(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

char SeparatorFrom(const std::string &value) {
    const std::string name = Lowered(value);
    if (name == "tab")
        return '\t';
    if (name == "comma")
        return ',';
    if (name == "semicolon")
        return ';';
    if (name == "space")
        return ' ';
    if (name == "pipe")
        return '|';
    if (name == "colon")
        return ':';
    return value.size() == 1 ? value[0] : 0;
}

// One record from pos: fields until an unquoted line break. Returns false at the end.
bool NextRecord(const std::string &text, std::size_t &pos, char separator,
                std::vector<std::string> &fields, std::string &problem) {
    fields.clear();
    if (pos >= text.size())
        return false;
    std::string field;
    enum { Start, Plain, Quoted, AfterQuote } state = Start;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (state == Quoted) {
            if (c == '"')
                state = AfterQuote;
            else
                field.push_back(c);
            continue;
        }
        if (state == AfterQuote && c == '"') {  // a doubled quote inside quotes
            field.push_back('"');
            state = Quoted;
            continue;
        }
        if (c == separator) {
            fields.push_back(field);
            field.clear();
            state = Start;
        } else if (c == '\n') {
            break;
        } else if (c == '"' && state == Start) {
            state = Quoted;
        } else if (state == AfterQuote) {
            problem = "text after a closing quote";
            field.push_back(c);
        } else {
            state = Plain;
            field.push_back(c);
        }
    }
    if (state == Quoted)
        problem = "a quoted field is not closed";
    if (!field.empty() && field.back() == '\r' && state == Plain)
        field.pop_back();
    fields.push_back(field);
    return true;
}

}  // namespace

TextFile ReadTextFile(const std::string &bytes) {
    TextFile file;
    std::size_t pos = 0;
    // Headers: only at the top, one a line, "#name:value".
    while (pos < bytes.size() && bytes[pos] == '#') {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string line = bytes.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        file.Headers[Lowered(line.substr(0, colon))] = line.substr(colon + 1);
    }
    if (file.Headers.count("separator"))
        file.Separator = SeparatorFrom(file.Headers["separator"]);
    file.Html = Lowered(file.Headers["html"]) == "true";
    if (file.Headers.count("tags column"))
        file.TagsColumn = std::stoi(file.Headers["tags column"]);
    if (file.Headers.count("columns") && file.Separator != 0) {
        std::size_t at = 0;
        std::string columns = file.Headers["columns"];
        NextRecord(columns, at, file.Separator, file.Columns, file.Problem);
    }
    if (file.Separator == 0) {
        file.Problem = "no separator header";
        return file;
    }
    std::vector<std::string> fields;
    while (NextRecord(bytes, pos, file.Separator, fields, file.Problem)) {
        Note note;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (static_cast<int>(i) + 1 != file.TagsColumn) {
                note.Fields.push_back(fields[i]);
                continue;
            }
            std::string tag;
            for (const char c : fields[i] + ' ') {
                if (c != ' ') {
                    tag.push_back(c);
                } else if (!tag.empty()) {
                    note.Tags.push_back(tag);
                    tag.clear();
                }
            }
        }
        file.Notes.push_back(note);
    }
    return file;
}

}  // namespace ankitest
