#include "books/freedict_entry.h"

#include "books/encoding.h"
#include "books/html.h"

namespace books {

namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "2. bench" -> "bench"; a line without such a number stays as it is.
std::string_view StripSenseNumber(std::string_view line) {
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    if (digits == 0 || digits + 1 >= line.size() || line[digits] != '.' ||
        (line[digits + 1] != ' ' && line[digits + 1] != '\t')) {
        return line;
    }
    return Trim(line.substr(digits + 1));
}

}  // namespace

std::string PlainLetters(std::string_view utf8) {
    std::string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t cp = DecodeUtf8(utf8, pos).value_or(0xFFFD);
        if (pos == start)
            ++pos;  // invalid byte: keep it, the caller has decoded leniently already
        if (cp == 0x0133) {
            out += "ij";
        } else if (cp == 0x0132) {
            out += "IJ";
        } else if (cp == 0x2010 || cp == 0x2011) {
            out += '-';
        } else {
            out.append(utf8.substr(start, pos - start));
        }
    }
    return out;
}

FreedictEntry ParseFreedictEntry(std::string_view utf8) {
    FreedictEntry entry;
    bool haveHead = false;
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos)
            end = utf8.size();
        const std::string_view line = Trim(utf8.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        if (haveHead) {
            const std::string_view sense = StripSenseNumber(line);
            if (!sense.empty())
                entry.senses.push_back(PlainLetters(sense));
            continue;
        }
        haveHead = true;
        // The pronunciation closes the line between slashes; the first " /" opens it,
        // so a headword such as "and/or" keeps its own slash.
        const std::size_t open = line.find(" /");
        if (line.size() >= 2 && line.back() == '/' && open != std::string_view::npos &&
            open + 2 < line.size()) {
            entry.headword = PlainLetters(Trim(line.substr(0, open)));
            entry.pronunciation = std::string(line.substr(open + 2, line.size() - open - 3));
        } else {
            entry.headword = PlainLetters(line);
        }
    }
    return entry;
}

std::vector<std::string> FreedictBodyLines(const FreedictEntry &entry) {
    std::string head = "<p class=\"head\"><b class=\"hw\">" + EscapeHtml(entry.headword) + "</b>";
    if (!entry.pronunciation.empty())
        head += " <span class=\"pron\">/" + EscapeHtml(entry.pronunciation) + "/</span>";
    head += "</p>";
    std::vector<std::string> lines{head};
    if (!entry.senses.empty()) {
        std::string list = "<ol class=\"senses\">";
        for (const std::string &sense : entry.senses)
            list += "<li>" + EscapeHtml(sense) + "</li>";
        list += "</ol>";
        lines.push_back(list);
    }
    return lines;
}

}  // namespace books
