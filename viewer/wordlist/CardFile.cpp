#include "viewer/wordlist/CardFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/encoding.h"

namespace wordlist {

namespace {

// A field quoted when it holds the separator, a line break or a quotation mark; a field
// that starts with '#' as well, so that no line of notes reads as a header or a comment.
std::string Field(const std::string &text, char separator) {
    const char special[] = {separator, '\r', '\n', '"', '\0'};
    if (text.find_first_of(special) == std::string::npos && !text.starts_with('#'))
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

std::string EscapeHtml(const std::string &text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

bool TypedDiffers(const TWordEntry &entry) {
    return !entry.Typed.empty() && !platform::EqualNoCaseUtf8(entry.Typed, entry.Headword);
}

std::string AnkiFront(const TWordEntry &entry) {
    std::string front = EscapeHtml(entry.Headword);
    if (TypedDiffers(entry))
        front += "<br>(" + EscapeHtml(entry.Typed) + ")";
    return front;
}

std::string AnkiTag(const std::string &text) {
    std::string tag = text;
    for (char &c : tag)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            c = '_';
    return tag;
}

std::string AnkiNotes(const std::vector<TWordEntry> &entries) {
    std::string text = "#separator:tab\n#html:true\n#columns:";
    for (const char *column : kAnkiColumns)
        text += std::string(column == kAnkiColumns[0] ? "" : "\t") + column;
    text += "\n#tags column:3\n";
    for (const TWordEntry &entry : entries) {
        // A missing book or list leaves no empty tag behind.
        std::string tags = AnkiTag(entry.Book);
        if (!entry.List.empty())
            tags += (tags.empty() ? "" : " ") + AnkiTag(entry.List);
        text += Field(AnkiFront(entry), '\t') + '\t' + Field(entry.Html, '\t') + '\t' +
                Field(tags, '\t') + '\n';
    }
    return text;
}

std::string CsvTable(const std::vector<TWordEntry> &entries) {
    std::string text;
    for (const char *column : kCsvColumns)
        text += std::string(column == kCsvColumns[0] ? "" : ",") + column;
    text += "\r\n";
    for (const TWordEntry &entry : entries) {
        const std::string *fields[] = {&entry.Headword, &entry.Typed, &entry.BaseForm, &entry.Book,
                                       &entry.List,     &entry.Added, &entry.Plain,    &entry.Html};
        for (std::size_t i = 0; i < std::size(fields); ++i)
            text.append(i == 0 ? "" : ",").append(Field(*fields[i], ','));
        text += "\r\n";
    }
    return text;
}

bool WriteFileAtomically(const std::string &path, const std::string &text, std::string &error) {
    const std::filesystem::path target(path);
    const std::string temporary =
        (target.parent_path() / std::string(".").append(target.filename().string()).append(".tmp"))
            .string();
    bool ok = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        ok =
            out && out.write(text.data(), static_cast<std::streamsize>(text.size())) && out.flush();
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    error = "Het bestand '" + path + "' kan niet worden geschreven: " + std::strerror(errno) + ".";
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace wordlist
