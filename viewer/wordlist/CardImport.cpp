#include "viewer/wordlist/CardImport.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "viewer/wordlist/CardFile.h"

namespace wordlist {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return "";
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

// Decodes the entity at text[at] ('&'); false (nothing consumed) when it is none we know.
bool DecodeEntity(std::string_view text, std::size_t &at, std::string &out) {
    const std::size_t end = text.find(';', at);
    if (end == std::string_view::npos || end - at > 10)
        return false;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
        {"amp", "&"},   {"lt", "<"},   {"gt", ">"},
        {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
    for (const auto &[entity, value] : kNamed)
        if (name == entity) {
            out += value;
            at = end + 1;
            return true;
        }
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF"
                                                           : "0123456789") != std::string::npos)
            return false;
        const auto code =
            static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10));
        // A NUL in a note would cut it short wherever it is read as C text.
        platform::AppendUtf8(out, code == 0 ? char32_t{0xFFFD} : char32_t{code});
        at = end + 1;
        return true;
    }
    return false;
}

std::string DecodeEntities(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();)
        if (text[at] != '&' || !DecodeEntity(text, at, out))
            out += text[at++];
    return out;
}

// Splits AnkiFront's "headword<br>(typed)" back; a front of another shape is all headword.
void ReadFront(const std::string &front, TWordEntry &entry) {
    const std::size_t mark = front.rfind("<br>(");
    if (mark != std::string::npos && front.ends_with(')')) {
        entry.Headword = Trim(HtmlToPlain(front.substr(0, mark)));
        entry.Typed = DecodeEntities(front.substr(mark + 5, front.size() - mark - 6));
    } else {
        entry.Headword = Trim(HtmlToPlain(front));
        entry.Typed = entry.Headword;
    }
}

// Anki's header lines: "#key:value" until the first line that is not one.
struct TAnkiHeaders {
    char Separator = '\t';
    bool Html = true;
    int FrontColumn = 0, BackColumn = 1, TagsColumn = -1;
};

bool SeparatorNamed(const std::string &value, char &separator) {
    static constexpr std::pair<std::string_view, char> kNames[] = {
        {"tab", '\t'},  {"comma", ','}, {"semicolon", ';'},
        {"space", ' '}, {"pipe", '|'},  {"colon", ':'}};
    for (const auto &[name, c] : kNames)
        if (Lower(value) == name) {
            separator = c;
            return true;
        }
    if (value.size() == 1 && value[0] != '"' && value[0] != '\r' && value[0] != '\n') {
        separator = value[0];
        return true;
    }
    return false;
}

std::string_view ReadHeaders(std::string_view text, TAnkiHeaders &headers,
                             std::vector<std::string> &columns, int &tagsColumn) {
    while (text.starts_with('#')) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(1, end - 1);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string key = Lower(Trim(line.substr(0, colon)));
        const std::string value = Trim(line.substr(colon + 1));
        if (key == "separator") {
            SeparatorNamed(value, headers.Separator);
        } else if (key == "html") {
            headers.Html = Lower(value) == "true";
        } else if (key == "columns") {
            columns.clear();
            for (const auto &record : SplitRecords(line.substr(colon + 1), headers.Separator))
                for (const std::string &column : record)
                    columns.push_back(Lower(Trim(column)));
        } else if (key == "tags column") {
            const int column = std::atoi(value.c_str());
            tagsColumn = column >= 1 && column <= 1000 ? column - 1 : -1;
        }
    }
    return text;
}

TCardImport ReadAnki(std::string_view text) {
    TCardImport result;
    TAnkiHeaders headers;
    std::vector<std::string> columns;
    int tagsColumn = -1;
    text = ReadHeaders(text, headers, columns, tagsColumn);
    // Columns by their names where the header names them, else front, back, tags.
    const auto named = [&](const char *name, int fallback) {
        const auto found = std::find(columns.begin(), columns.end(), Lower(name));
        return found != columns.end() ? static_cast<int>(found - columns.begin()) : fallback;
    };
    headers.FrontColumn = named("front", 0);
    headers.BackColumn = named("back", 1);
    headers.TagsColumn = tagsColumn >= 0 ? tagsColumn : named("tags", -1);
    for (const std::vector<std::string> &record : SplitRecords(text, headers.Separator)) {
        const auto field = [&](int column) {
            return column >= 0 && static_cast<std::size_t>(column) < record.size() ? record[column]
                                                                                   : "";
        };
        TWordEntry entry;
        const std::string front = field(headers.FrontColumn);
        if (headers.Html) {
            ReadFront(front, entry);
            entry.Html = field(headers.BackColumn);
        } else {
            entry.Headword = Trim(front);
            entry.Typed = entry.Headword;
            entry.Html = EscapeHtml(field(headers.BackColumn));
        }
        entry.Plain = HtmlToPlain(entry.Html);
        // The first tag is the book; the list is the importer's choice.
        const std::string tags = Trim(field(headers.TagsColumn));
        entry.Book = tags.substr(0, tags.find(' '));
        if (entry.Headword.empty()) {
            ++result.Skipped;
            continue;
        }
        result.Entries.push_back(std::move(entry));
    }
    return result;
}

TCardImport ReadCsv(std::string_view text) {
    TCardImport result;
    std::vector<std::vector<std::string>> records = SplitRecords(text, ',');
    std::vector<int> at(std::size(kCsvColumns), -1);
    for (std::size_t c = 0; c < records[0].size(); ++c)
        for (std::size_t k = 0; k < std::size(kCsvColumns); ++k)
            if (Lower(Trim(records[0][c])) == Lower(kCsvColumns[k]))
                at[k] = static_cast<int>(c);
    if (at[0] < 0) {
        result.Error = "Het CSV-bestand heeft geen kolom 'Trefwoord'.";
        return result;
    }
    for (std::size_t r = 1; r < records.size(); ++r) {
        const auto field = [&](std::size_t k) {
            return at[k] >= 0 && static_cast<std::size_t>(at[k]) < records[r].size()
                       ? records[r][at[k]]
                       : std::string();
        };
        TWordEntry entry;
        std::string *targets[] = {&entry.Headword, &entry.Typed, &entry.BaseForm, &entry.Book,
                                  &entry.List,     &entry.Added, &entry.Plain,    &entry.Html};
        for (std::size_t k = 0; k < std::size(targets); ++k)
            *targets[k] = field(k);
        entry.List.clear();
        entry.Headword = Trim(entry.Headword);
        if (entry.Html.empty())
            entry.Html = EscapeHtml(entry.Plain);
        if (entry.Plain.empty())
            entry.Plain = HtmlToPlain(entry.Html);
        if (entry.Headword.empty()) {
            ++result.Skipped;
            continue;
        }
        result.Entries.push_back(std::move(entry));
    }
    return result;
}

TCardImport Nonempty(TCardImport result) {
    if (result.Entries.empty() && result.Error.empty())
        result.Error = "Het bestand bevat geen woorden om in te lezen.";
    return result;
}

}  // namespace

std::vector<std::vector<std::string>> SplitRecords(std::string_view text, char separator) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false, wasQuoted = false;
    const auto endRecord = [&] {
        record.push_back(std::move(field));
        field.clear();
        const bool blank = std::all_of(record.begin(), record.end(),
                                       [](const std::string &f) { return Trim(f).empty(); });
        if (!blank || wasQuoted)
            records.push_back(std::move(record));
        record.clear();
        wasQuoted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == '"' && field.empty()) {
            quoted = wasQuoted = true;
        } else if (c == separator) {
            record.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endRecord();
        } else {
            field += c;
        }
    }
    if (!field.empty() || !record.empty() || wasQuoted)
        endRecord();
    return records;
}

std::string HtmlToPlain(std::string_view html) {
    std::string text;
    for (std::size_t at = 0; at < html.size();) {
        if (html[at] == '<') {
            const std::size_t end = html.find('>', at);
            if (end == std::string_view::npos)
                break;
            // Blocks and breaks, opening or closing, end a line; every other tag is dropped.
            std::string name = Lower(html.substr(at + 1, end - at - 1));
            if (name.starts_with('/'))
                name.erase(0, 1);
            name = name.substr(0, name.find_first_of(" \t\r\n/"));
            static constexpr std::string_view kBlocks[] = {
                "br", "p",  "div", "li", "ul", "ol", "tr", "table", "dd",
                "dt", "dl", "h1",  "h2", "h3", "h4", "h5", "h6",    "blockquote"};
            if (std::find(std::begin(kBlocks), std::end(kBlocks), name) != std::end(kBlocks) &&
                !text.empty() && text.back() != '\n')
                text += '\n';
            at = end + 1;
        } else if (html[at] == '&' && DecodeEntity(html, at, text)) {
        } else {
            text += html[at++];
        }
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

TCardImport ReadCardFile(std::string_view bytes) {
    // A byte-order mark, as spreadsheets write it, is no part of the first field.
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (!platform::IsUtf8(bytes)) {
        TCardImport refused;
        refused.Error = "Het bestand is geen UTF-8-tekst.";
        return refused;
    }
    // A CSV table names its columns in its first row, "Trefwoord" among them.
    const std::string firstLine(bytes.substr(0, bytes.find_first_of("\r\n")));
    if (!firstLine.starts_with('#'))
        for (const auto &record : SplitRecords(firstLine, ','))
            for (const std::string &column : record)
                if (Lower(Trim(column)) == "trefwoord")
                    return Nonempty(ReadCsv(bytes));
    return Nonempty(ReadAnki(bytes));
}

}  // namespace wordlist
