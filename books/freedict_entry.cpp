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
        // Newer books close the line with the part of speech: "łódź /wuʨ̑/ <n>".
        std::string_view head = line;
        const std::size_t pos = head.rfind(" <");
        if (head.size() >= 2 && head.back() == '>' && pos != std::string_view::npos &&
            pos + 3 < head.size() && head.find_first_of(" <>", pos + 2) == head.size() - 1) {
            entry.partOfSpeech = std::string(head.substr(pos + 2, head.size() - pos - 3));
            head = Trim(head.substr(0, pos));
        }
        // The pronunciation closes the line between slashes; the first " /" opens it,
        // so a headword such as "and/or" keeps its own slash.
        const std::size_t open = head.find(" /");
        if (head.size() >= 2 && head.back() == '/' && open != std::string_view::npos &&
            open + 2 < head.size()) {
            entry.headword = PlainLetters(Trim(head.substr(0, open)));
            entry.pronunciation = std::string(head.substr(open + 2, head.size() - open - 3));
        } else {
            entry.headword = PlainLetters(head);
        }
    }
    return entry;
}

std::vector<std::string> FreedictBodyLines(const FreedictEntry &entry) {
    std::string head = "<p class=\"head\"><b class=\"hw\">" + EscapeHtml(entry.headword) + "</b>";
    if (!entry.pronunciation.empty())
        head += " <span class=\"pron\">/" + EscapeHtml(entry.pronunciation) + "/</span>";
    if (!entry.partOfSpeech.empty())
        head += " <i class=\"pos\">" + EscapeHtml(entry.partOfSpeech) + "</i>";
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
