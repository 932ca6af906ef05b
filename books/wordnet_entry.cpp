#include "books/wordnet_entry.h"

#include <cctype>

#include "books/freedict_entry.h"
#include "books/html.h"

namespace books {

namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsPartOfSpeech(std::string_view token) {
    for (const std::string_view known : {"n", "v", "adj", "adv", "a", "s", "r"})
        if (token == known)
            return true;
    return false;
}

// "n 1: gloss", "adj: gloss" or "2: gloss": the part of speech (empty for a further
// sense of the same group) and the gloss; false for a continuation line.
bool SenseStart(std::string_view line, std::string &partOfSpeech, std::string_view &gloss) {
    std::size_t pos = 0;
    while (pos < line.size() && line[pos] >= 'a' && line[pos] <= 'z')
        ++pos;
    const std::string_view token = line.substr(0, pos);
    if (!token.empty()) {
        if (!IsPartOfSpeech(token))
            return false;
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
    }
    const std::size_t digits = pos;
    while (pos < line.size() && IsDigit(line[pos]))
        ++pos;
    if (pos == digits && token.empty())
        return false;  // neither a part of speech nor a sense number
    if (pos >= line.size() || line[pos] != ':')
        return false;
    partOfSpeech = std::string(token);
    gloss = Trim(line.substr(pos + 1));
    return true;
}

void Join(std::string &text, std::string_view more) {
    if (!text.empty() && !more.empty() && text.back() != '-')
        text += ' ';
    text += more;
}

// Moves the {references} of every "[name: ...]" block out of the gloss into list, in one
// pass: a gloss may hold any number of blocks.
void TakeReferences(std::string &gloss, std::string_view name, std::vector<std::string> &list) {
    std::string open = "[";
    open += name;
    open += ':';
    std::string kept;
    std::size_t from = 0;
    for (std::size_t start; (start = gloss.find(open, from)) != std::string::npos;) {
        const std::size_t end = gloss.find(']', start);
        if (end == std::string::npos)
            break;  // an unclosed block stays part of the text
        const std::string_view block =
            std::string_view(gloss).substr(start + open.size(), end - start - open.size());
        std::size_t pos = 0;
        while ((pos = block.find('{', pos)) != std::string_view::npos) {
            const std::size_t close = block.find('}', pos);
            if (close == std::string_view::npos)
                break;
            const std::string_view word = Trim(block.substr(pos + 1, close - pos - 1));
            if (!word.empty())
                list.emplace_back(word);
            pos = close + 1;
        }
        kept.append(gloss, from, start - from);
        from = end + 1;
    }
    kept.append(gloss, from);
    gloss = std::string(Trim(kept));
}

std::string Label(const std::string &partOfSpeech) {
    if (partOfSpeech == "n")
        return "noun";
    if (partOfSpeech == "v")
        return "verb";
    if (partOfSpeech == "adj" || partOfSpeech == "a" || partOfSpeech == "s")
        return "adjective";
    if (partOfSpeech == "adv" || partOfSpeech == "r")
        return "adverb";
    return partOfSpeech;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Links(const char *label, const std::vector<std::string> &words,
                  const std::string &headword) {
    std::string out;
    for (const std::string &word : words) {
        if (SameWord(word, headword))
            continue;
        out += out.empty() ? std::string(" <span class=\"xref\">") + label + " " : ", ";
        out += "<a href=\"" + SearchLink(word) + "\">" + EscapeHtml(word) + "</a>";
    }
    return out.empty() ? out : out + "</span>";
}

// The definition, then the quoted examples in their own span.
std::string GlossHtml(std::string_view gloss) {
    std::size_t examples = gloss.find("; \"");
    if (!gloss.empty() && gloss.front() == '"')
        examples = 0;
    if (examples == std::string_view::npos)
        return EscapeHtml(gloss);
    const std::string_view definition = Trim(gloss.substr(0, examples));
    std::string_view rest = gloss.substr(examples);
    if (rest.substr(0, 2) == "; ")
        rest.remove_prefix(2);
    std::string out = EscapeHtml(definition);
    if (!definition.empty())
        out += "; ";
    return out + "<span class=\"ex\">" + EscapeHtml(Trim(rest)) + "</span>";
}

}  // namespace

WordnetEntry ParseWordnetEntry(std::string_view utf8) {
    WordnetEntry entry;
    bool haveHead = false;
    std::size_t start = 0;
    // The glosses are gathered with their references inside; these are taken out last,
    // when wrapped references ("{dog-" + "iron}") have been joined.
    while (start <= utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos)
            end = utf8.size();
        const std::string_view line = Trim(utf8.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        if (!haveHead) {
            entry.headword = std::string(line);
            haveHead = true;
            continue;
        }
        std::string partOfSpeech;
        std::string_view gloss = line;
        const bool newSense = SenseStart(line, partOfSpeech, gloss);
        if (newSense || entry.groups.empty()) {
            // Text before the first sense becomes a sense of its own.
            if (!partOfSpeech.empty() || entry.groups.empty())
                entry.groups.push_back(WordnetGroup{partOfSpeech, {}});
            entry.groups.back().senses.push_back(WordnetSense{std::string(gloss), {}, {}});
        } else {
            Join(entry.groups.back().senses.back().gloss, line);
        }
    }
    for (WordnetGroup &group : entry.groups) {
        for (WordnetSense &sense : group.senses) {
            TakeReferences(sense.gloss, "syn", sense.synonyms);
            TakeReferences(sense.gloss, "ant", sense.antonyms);
        }
    }
    return entry;
}

std::vector<std::string> WordnetBodyLines(const WordnetEntry &entry) {
    std::vector<std::string> lines{"<p class=\"head\"><b class=\"hw\">" +
                                   EscapeHtml(entry.headword) + "</b></p>"};
    for (const WordnetGroup &group : entry.groups) {
        if (group.senses.empty())
            continue;
        std::string html;
        if (!group.partOfSpeech.empty())
            html += "<p class=\"pos\">" + EscapeHtml(Label(group.partOfSpeech)) + "</p>";
        html += "<ol class=\"senses\">";
        for (const WordnetSense &sense : group.senses) {
            html += "<li>" + GlossHtml(sense.gloss) +
                    Links("syn.:", sense.synonyms, entry.headword) +
                    Links("ant.:", sense.antonyms, entry.headword) + "</li>";
        }
        lines.push_back(html + "</ol>");
    }
    return lines;
}

}  // namespace books
