#include "books/stardict.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

#include "books/encoding.h"
#include "books/freedict_entry.h"
#include "books/html.h"
#include "books/source.h"

namespace books {

namespace {

// Longer word lists or texts than this are not dictionaries this program can hold.
constexpr std::uint64_t kMaxInfoSize = 64 * 1024;
// A headword is shorter than 256 bytes in the format.
constexpr std::size_t kMaxWordBytes = 255;

[[noreturn]] void Corrupt(const std::string &file, const std::string &why) {
    throw InputError("Het bestand '" + file + "' is beschadigd of onvolledig: " + why + ".");
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A whole decimal number below the limit, no sign, no blanks inside.
bool ParseCount(std::string_view text, std::uint64_t limit, std::uint64_t &value) {
    if (text.empty() || text.size() > 20)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (limit - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint64_t BigEndian64(std::string_view bytes, std::size_t at) {
    return (static_cast<std::uint64_t>(BigEndian32(bytes, at)) << 32) | BigEndian32(bytes, at + 4);
}

// A NUL-terminated word starting at pos: its text, pos moved past the NUL.
std::string_view Word(std::string_view bytes, std::size_t &pos, const std::string &file,
                      const char *what) {
    const std::size_t nul = bytes.find('\0', pos);
    if (nul == std::string_view::npos)
        Corrupt(file, std::string(what) + " zonder einde");
    const std::string_view word = bytes.substr(pos, nul - pos);
    if (word.empty())
        Corrupt(file, std::string("een leeg ") + what);
    if (word.size() > kMaxWordBytes)
        Corrupt(file, std::string("een ") + what + " van meer dan 255 bytes");
    if (!IsValidUtf8(word))
        Corrupt(file, std::string("een ") + what + " dat geen UTF-8 is");
    pos = nul + 1;
    return word;
}

std::string ReadWhole(const std::string &path, std::uint64_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw InputError("Het bestand '" + path + "' kan niet worden geopend.");
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > limit)
            Corrupt(path, "het is te groot voor een beschrijving");
    }
    if (in.bad())
        throw InputError("Het bestand '" + path + "' kan niet worden gelezen.");
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// Whether a tag's name (after its '<' or '</') is one of the table elements, scripts and
// styles that the result page cannot hold.
bool IsDroppedElement(std::string_view name) {
    for (const std::string_view element :
         {"table", "tr", "td", "th", "tbody", "thead", "tfoot", "script", "style"}) {
        if (StartsWithNoCase(name, element) &&
            (name.size() == element.size() || name[element.size()] == '>' ||
             name[element.size()] == ' ' || name[element.size()] == '/' ||
             name[element.size()] == '\t' || name[element.size()] == '\n')) {
            return true;
        }
    }
    return false;
}

// HTML as it is, less what the result page cannot hold: the table
// elements that cut its rows and cells, scripts, and control characters.
std::string MarkupHtml(std::string_view markup) {
    std::string out;
    std::size_t pos = 0;
    // The first '>' at or after a tag: looked for again only once pos has passed it, so a
    // text of many '<' and no '>' is read once, not once per '<'.
    std::size_t close = markup.find('>');
    while (pos < markup.size()) {
        const char c = markup[pos];
        if (c == '<') {
            const std::string_view tag = markup.substr(pos + 1);
            const std::string_view name = tag.substr(tag.rfind('/', 0) == 0 ? 1 : 0);
            const bool drop = IsDroppedElement(name);
            if (drop && close != std::string_view::npos && close < pos)
                close = markup.find('>', pos);
            if (drop && close != std::string_view::npos) {
                out += ' ';
                pos = close + 1;
                continue;
            }
        }
        out += ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) ? ' ' : c;
        ++pos;
    }
    return out;
}

// One tag of Pango markup as read: its name in lower case, its attributes, and where it
// ends.
struct PangoTag {
    std::string name;
    bool closing = false;
    bool empty = false;  // "<x/>"
    std::vector<std::pair<std::string, std::string>> attributes;
    std::size_t end = 0;
};

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == ':';
}

// Reads the tag at pos ('<'); false when none starts there. The reading stops at the
// first character a tag cannot hold, so a text of many '<' is read once.
bool ReadPangoTag(std::string_view text, std::size_t pos, PangoTag &tag) {
    const auto blanks = [&](std::size_t &at) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0)
            ++at;
    };
    tag = PangoTag();
    std::size_t at = pos + 1;
    if (at < text.size() && text[at] == '/') {
        tag.closing = true;
        ++at;
    }
    while (at < text.size() && IsNameChar(text[at]))
        tag.name += static_cast<char>(std::tolower(static_cast<unsigned char>(text[at++])));
    if (tag.name.empty() || std::isalpha(static_cast<unsigned char>(tag.name[0])) == 0)
        return false;
    while (true) {
        blanks(at);
        if (at >= text.size())
            return false;
        if (text[at] == '>' || (text[at] == '/' && at + 1 < text.size() && text[at + 1] == '>')) {
            tag.empty = text[at] == '/';
            tag.end = at + (tag.empty ? 2 : 1);
            return true;
        }
        std::string name;
        while (at < text.size() && IsNameChar(text[at]))
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(text[at++])));
        if (name.empty() || tag.closing)
            return false;
        blanks(at);
        // HTML that some books write here: an attribute without value, or one unquoted.
        if (at >= text.size() || text[at] != '=') {
            tag.attributes.emplace_back(std::move(name), std::string());
            continue;
        }
        ++at;
        blanks(at);
        if (at >= text.size())
            return false;
        std::size_t from = at, to;
        if (text[at] == '"' || text[at] == '\'') {
            to = text.find(text[at], ++from);
            if (to == std::string_view::npos)
                return false;
            at = to + 1;
        } else {
            while (at < text.size() && text[at] != '>' && text[at] != '<' &&
                   std::isspace(static_cast<unsigned char>(text[at])) == 0)
                ++at;
            to = at;
        }
        tag.attributes.emplace_back(std::move(name), std::string(text.substr(from, to - from)));
    }
}

// A colour of Pango's forms (#rgb, #rrggbb, #rrrrggggbbbb, a name) as CSS; empty when
// it is none of them.
std::string PangoColour(std::string_view value) {
    value = Trim(value);
    if (value.empty())
        return {};
    if (value[0] == '#') {
        const std::string_view digits = value.substr(1);
        for (const char c : digits)
            if (std::isxdigit(static_cast<unsigned char>(c)) == 0)
                return {};
        if (digits.size() == 3 || digits.size() == 6)
            return std::string(value);
        if (digits.size() == 12)  // 16 bits a channel: the high byte of each
            return "#" + std::string(digits.substr(0, 2)) + std::string(digits.substr(4, 2)) +
                   std::string(digits.substr(8, 2));
        return {};
    }
    for (const char c : value)
        if (std::isalpha(static_cast<unsigned char>(c)) == 0)
            return {};
    return std::string(value);
}

// How many steps (HTML's <big> and <small>) a Pango size lies from the page's 10 points:
// a name, "larger"/"smaller", a percentage or thousand-and-twenty-fourths of a point.
// Steps keep the size relative, so it follows the page's zoom.
int PangoSizeSteps(std::string_view value) {
    value = Trim(value);
    static const std::pair<std::string_view, int> kNames[] = {
        {"xx-small", -3}, {"x-small", -2}, {"small", -1}, {"medium", 0},  {"large", 1},
        {"x-large", 2},   {"xx-large", 3}, {"larger", 1}, {"smaller", -1}};
    for (const auto &[name, steps] : kNames)
        if (value == name)
            return steps;
    double ratio = 0;
    std::uint64_t number = 0;
    if (!value.empty() && value.back() == '%' &&
        ParseCount(value.substr(0, value.size() - 1), 100000, number))
        ratio = number / 100.0;
    else if (value.size() > 2 && value.substr(value.size() - 2) == "pt" &&
             ParseCount(value.substr(0, value.size() - 2), 10000, number))
        ratio = number / 10.0;
    else if (ParseCount(value, 10000000, number))
        ratio = number / 1024.0 / 10.0;
    if (ratio <= 0)
        return 0;
    // Each step is about a fifth; rounded, and at most three either way.
    const int steps = static_cast<int>(std::lround(std::log(ratio) / std::log(1.2)));
    return std::clamp(steps, -3, 3);
}

// The HTML that opens a Pango <span>: its attributes as a style, its size as steps;
// `close` gets what ends it.
std::string SpanHtml(const PangoTag &tag, std::string &close) {
    std::string style;
    std::string decoration;
    int steps = 0;
    for (const auto &[name, raw] : tag.attributes) {
        const std::string_view value = Trim(raw);
        if (name == "foreground" || name == "fgcolor" || name == "color") {
            if (const std::string colour = PangoColour(value); !colour.empty())
                style += "color:" + colour + ";";
        } else if (name == "background" || name == "bgcolor") {
            if (const std::string colour = PangoColour(value); !colour.empty())
                style += "background-color:" + colour + ";";
        } else if (name == "font_family" || name == "face" || name == "font-family") {
            std::string family;
            for (const char c : value)
                if (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == ' ' || c == '-' ||
                    c == ',')
                    family += c;
            if (!family.empty())
                style += "font-family:" + family + ";";
        } else if (name == "size" || name == "font_size") {
            steps = PangoSizeSteps(value);
        } else if (name == "style" || name == "font_style") {
            if (value == "italic" || value == "oblique" || value == "normal")
                style += "font-style:" + std::string(value) + ";";
        } else if (name == "weight" || name == "font_weight") {
            std::uint64_t number = 0;
            const bool bold = value == "bold" || value == "semibold" || value == "ultrabold" ||
                              value == "heavy" || value == "ultraheavy" ||
                              (ParseCount(value, 1000, number) && number >= 600);
            style += bold ? "font-weight:bold;" : "font-weight:normal;";
        } else if (name == "variant" || name == "font_variant") {
            if (value == "smallcaps" || value == "small-caps")
                style += "font-variant:small-caps;";
        } else if (name == "underline") {
            if (value != "none")
                decoration += " underline";
        } else if (name == "strikethrough") {
            if (value == "true")
                decoration += " line-through";
        } else if (name == "rise" || name == "baseline_shift") {
            if (value == "superscript" ||
                (!value.empty() && std::isdigit(value[0]) && value != "0"))
                style += "vertical-align:super;";
            else if (value == "subscript" || (!value.empty() && value[0] == '-'))
                style += "vertical-align:sub;";
        }
    }
    if (!decoration.empty())
        style += "text-decoration:" + decoration.substr(1) + ";";
    std::string open = style.empty() ? "<span>" : "<span style=\"" + style + "\">";
    close = "</span>";
    for (int i = 0; i < std::abs(steps); ++i) {
        open += steps > 0 ? "<big>" : "<small>";
        close.insert(0, steps > 0 ? "</big>" : "</small>");
    }
    return open;
}

// The length of the character reference at the start of text ("&amp;", "&#233;",
// "&#xE9;"), or 0 when it starts none.
std::size_t ReferenceLength(std::string_view text) {
    std::size_t at = 1;
    const bool numeric = at < text.size() && text[at] == '#';
    if (numeric)
        ++at;
    const bool hex = numeric && at < text.size() && (text[at] == 'x' || text[at] == 'X');
    if (hex)
        ++at;
    const std::size_t digitsStart = at;
    while (at < text.size() && at < 40 &&
           (numeric ? (hex ? std::isxdigit(static_cast<unsigned char>(text[at]))
                           : std::isdigit(static_cast<unsigned char>(text[at])))
                    : std::isalnum(static_cast<unsigned char>(text[at]))) != 0)
        ++at;
    return at > digitsStart && at < text.size() && text[at] == ';' ? at + 1 : 0;
}

// Pango markup (StarDict's type 'g') as the page's HTML. Its line ends and blanks are
// layout, as in plain text; its elements become their HTML kin: b, i, u, s, sub, sup,
// small, big and tt are HTML's own, a span's attributes become a style. Elements of HTML
// that some books write are kept as they are, but for those the page cannot hold.
std::string PangoHtml(std::string_view markup) {
    static const std::string_view kInline[] = {"b",   "i",   "u",     "s",  "sub",
                                               "sup", "big", "small", "tt", "span"};
    LaidOutHtml html;
    std::vector<std::string> open;  // what closes each element still open
    std::size_t pos = 0;
    while (pos < markup.size()) {
        const char c = markup[pos];
        PangoTag tag;
        if (c == '&') {
            const std::size_t length = ReferenceLength(markup.substr(pos));
            if (length == 0) {
                html.Text("&");
            } else if (markup.substr(pos, length) == "&apos;") {
                html.Reference("&#39;");  // not a name HTML 4 knows
            } else {
                html.Reference(markup.substr(pos, length));
            }
            pos += length == 0 ? 1 : length;
        } else if (c != '<' || !ReadPangoTag(markup, pos, tag)) {
            const std::size_t next = markup.find_first_of("<&", pos + 1);
            html.Text(markup.substr(pos, next - pos));
            pos = next == std::string_view::npos ? markup.size() : next;
        } else {
            const std::size_t tagStart = pos;
            pos = tag.end;
            const bool known =
                std::find(std::begin(kInline), std::end(kInline), tag.name) != std::end(kInline);
            if (tag.name == "br") {
                html.Break();
            } else if (tag.name == "markup") {
                // Pango's own wrapper: nothing on the page
            } else if (known && tag.closing) {
                if (!open.empty()) {
                    html.Markup(open.back());
                    open.pop_back();
                }
            } else if (known && !tag.empty) {
                std::string close = "</" + tag.name + ">";
                html.Markup(tag.name == "span" ? SpanHtml(tag, close) : "<" + tag.name + ">");
                open.push_back(std::move(close));
            } else if (!known && IsDroppedElement(tag.name)) {
                html.Markup(" ");
            } else if (!known) {
                html.Markup(markup.substr(tagStart, tag.end - tagStart));
            }
        }
    }
    // An element left open must not run on into the next entry.
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        html.Markup(*it);
    return html.Take();
}

// XML formats (XDXF, PowerWord) shown as their text: tags dropped, entities kept.
std::string XmlTextHtml(std::string_view xml) {
    std::string text;
    bool inTag = false;
    for (const char c : xml) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            text += c;
    }
    // The entities of the XML stay references in the HTML; only bare markup is escaped.
    std::string out;
    for (const std::string_view line : {std::string_view(text)}) {
        std::size_t start = 0;
        while (start <= line.size()) {
            std::size_t end = line.find('\n', start);
            if (end == std::string_view::npos)
                end = line.size();
            const std::string_view part = Trim(line.substr(start, end - start));
            if (!out.empty() && !part.empty())
                out += "<br>";
            for (const char c : part)
                out += c == '"' ? std::string("&quot;")
                                : (static_cast<unsigned char>(c) < 0x20 ? std::string(" ")
                                                                        : std::string(1, c));
            start = end + 1;
        }
    }
    return out;
}

// The page's text holds no control character: C0 but the tab, DEL, and C1 (U+0080 to
// U+009F, which valid UTF-8 can carry) become blanks, whichever field type brought them.
std::string BlankControls(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    for (std::size_t i = 0; i < html.size(); ++i) {
        const auto c = static_cast<unsigned char>(html[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            out += ' ';
        } else if (c == 0xC2 && i + 1 < html.size() &&
                   static_cast<unsigned char>(html[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(html[i + 1]) <= 0x9F) {
            out += ' ';
            ++i;
        } else {
            out += html[i];
        }
    }
    return out;
}

std::string FieldHtml(char type, std::string_view data) {
    switch (type) {
        case 'm':  // plain text
        case 'l':  // text in the author's locale: read leniently
        case 'y':  // readings (kana, pinyin)
        case 'w':  // wiki markup, shown as written
            return "<p>" + LaidOutTextHtml(DecodeLenient(data)) + "</p>";
        case 't':  // phonetics
            return "<p class=\"head\"><span class=\"pron\">/" + EscapeHtml(DecodeLenient(data)) +
                   "/</span></p>";
        case 'g':  // Pango markup: HTML-like tags in laid-out text
            return "<div>" + PangoHtml(WithoutOuterBlankLines(DecodeLenient(data))) + "</div>";
        case 'h':  // HTML
            return "<div>" + MarkupHtml(DecodeLenient(data)) + "</div>";
        case 'x':  // XDXF
        case 'k':  // PowerWord XML
            return "<p>" + XmlTextHtml(DecodeLenient(data)) + "</p>";
        default:  // pictures, sounds, resource lists and unknown kinds: not shown
            return {};
    }
}

bool IsTextType(char type) {
    return std::islower(static_cast<unsigned char>(type)) != 0;
}

}  // namespace

StardictInfo ParseStardictInfo(std::string_view text, const std::string &file) {
    constexpr std::string_view kMagic = "StarDict's dict ifo file";
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t end = text.find('\n');
    if (Trim(text.substr(0, end)) != kMagic)
        Corrupt(file, "de eerste regel is niet \"" + std::string(kMagic) + "\"");
    if (!IsValidUtf8(text))
        Corrupt(file, "het is geen UTF-8-tekst");
    StardictInfo info;
    bool haveWords = false, haveSize = false, haveSyn = false;
    while (end != std::string_view::npos) {
        const std::size_t start = end + 1;
        end = text.find('\n', start);
        const std::string_view line = Trim(text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start));
        const std::size_t eq = line.find('=');
        if (line.empty() || eq == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        std::uint64_t number = 0;
        if (key == "version") {
            info.version = std::string(value);
        } else if (key == "bookname") {
            info.bookName = std::string(value);
        } else if (key == "wordcount") {
            if (!ParseCount(value, std::numeric_limits<std::uint32_t>::max(), number))
                Corrupt(file, "wordcount is geen getal");
            info.wordCount = static_cast<std::uint32_t>(number);
            haveWords = true;
        } else if (key == "synwordcount") {
            if (!ParseCount(value, std::numeric_limits<std::uint32_t>::max(), number))
                Corrupt(file, "synwordcount is geen getal");
            info.synWordCount = static_cast<std::uint32_t>(number);
            haveSyn = true;
        } else if (key == "idxfilesize") {
            if (!ParseCount(value, std::numeric_limits<std::uint64_t>::max(), number))
                Corrupt(file, "idxfilesize is geen getal");
            info.idxFileSize = number;
            haveSize = true;
        } else if (key == "idxoffsetbits") {
            if (value != "32" && value != "64")
                Corrupt(file, "idxoffsetbits is niet 32 of 64");
            info.offsetBits = value == "64" ? 64 : 32;
        } else if (key == "sametypesequence") {
            for (const char c : value)
                if (std::isalpha(static_cast<unsigned char>(c)) == 0)
                    Corrupt(file, "sametypesequence bevat andere tekens dan letters");
            info.sameTypeSequence = std::string(value);
        }
    }
    if (info.version != "2.4.2" && info.version != "3.0.0")
        Corrupt(file, "de versie is niet 2.4.2 of 3.0.0");
    if (info.offsetBits == 64 && info.version != "3.0.0")
        Corrupt(file, "idxoffsetbits=64 hoort alleen bij versie 3.0.0");
    if (!haveWords || info.wordCount == 0)
        Corrupt(file, "wordcount ontbreekt of is 0");
    if (!haveSize)
        Corrupt(file, "idxfilesize ontbreekt");
    if (!haveSyn)
        info.synWordCount = 0;
    return info;
}

std::vector<StardictWord> ParseStardictIndex(std::string_view idx, const StardictInfo &info,
                                             std::uint64_t dictSize, const std::string &file) {
    if (idx.size() != info.idxFileSize)
        Corrupt(file, "het is " + std::to_string(idx.size()) +
                          " bytes groot, de beschrijving zegt " + std::to_string(info.idxFileSize));
    const std::size_t numbers = info.offsetBits / 8 + 4;
    // Every entry takes at least a letter, its NUL and the two numbers.
    if (info.wordCount > idx.size() / (2 + numbers))
        Corrupt(file, "het bevat minder woorden dan de beschrijving zegt");
    std::vector<StardictWord> words;
    words.reserve(info.wordCount);
    std::size_t pos = 0;
    for (std::uint32_t i = 0; i < info.wordCount; ++i) {
        // The list ends between two entries before the count is reached: the description
        // promises words the book does not have.
        if (pos == idx.size())
            Corrupt(file, "het bevat minder woorden dan de beschrijving zegt");
        StardictWord entry;
        entry.word = std::string(Word(idx, pos, file, "trefwoord"));
        if (idx.size() - pos < numbers)
            Corrupt(file, "het laatste woord mist zijn plaats in de tekst");
        entry.offset = info.offsetBits == 64 ? BigEndian64(idx, pos) : BigEndian32(idx, pos);
        entry.size = BigEndian32(idx, pos + numbers - 4);
        pos += numbers;
        if (entry.offset > dictSize || entry.size > dictSize - entry.offset)
            Corrupt(file, "het woord '" + entry.word + "' wijst voorbij het einde van de tekst");
        words.push_back(std::move(entry));
    }
    if (pos != idx.size())
        Corrupt(file, "het bevat meer woorden dan de beschrijving zegt");
    return words;
}

std::vector<std::pair<std::string, std::uint32_t>> ParseStardictSynonyms(std::string_view syn,
                                                                         const StardictInfo &info,
                                                                         const std::string &file) {
    std::vector<std::pair<std::string, std::uint32_t>> synonyms;
    if (info.synWordCount > syn.size() / 6)
        Corrupt(file, "het bevat minder synoniemen dan de beschrijving zegt");
    synonyms.reserve(info.synWordCount);
    std::size_t pos = 0;
    for (std::uint32_t i = 0; i < info.synWordCount; ++i) {
        if (pos == syn.size())
            Corrupt(file, "het bevat minder synoniemen dan de beschrijving zegt");
        std::string word(Word(syn, pos, file, "synoniem"));
        if (syn.size() - pos < 4)
            Corrupt(file, "het laatste synoniem mist zijn woordnummer");
        const std::uint32_t target = BigEndian32(syn, pos);
        pos += 4;
        if (target >= info.wordCount)
            Corrupt(file, "het synoniem '" + word + "' wijst naar een woord dat er niet is");
        synonyms.emplace_back(std::move(word), target);
    }
    if (pos != syn.size())
        Corrupt(file, "het bevat meer synoniemen dan de beschrijving zegt");
    return synonyms;
}

std::string StardictEntryHtml(std::string_view data, const std::string &sameTypeSequence,
                              const std::string &file) {
    std::string html;
    std::size_t pos = 0;
    std::size_t field = 0;
    while (sameTypeSequence.empty() ? pos < data.size() : field < sameTypeSequence.size()) {
        char type;
        if (sameTypeSequence.empty()) {
            type = data[pos++];
            if (std::isalpha(static_cast<unsigned char>(type)) == 0)
                Corrupt(file, "een veld heeft geen geldig soortteken");
        } else {
            type = sameTypeSequence[field];
        }
        // With a type sequence the last field runs to the end of the entry, without its
        // terminator or size.
        const bool last = !sameTypeSequence.empty() && field + 1 == sameTypeSequence.size();
        ++field;
        std::string_view value;
        if (last) {
            value = data.substr(pos);
            pos = data.size();
        } else if (IsTextType(type)) {
            const std::size_t nul = data.find('\0', pos);
            if (nul == std::string_view::npos)
                Corrupt(file, "een tekstveld loopt door tot voorbij het artikel");
            value = data.substr(pos, nul - pos);
            pos = nul + 1;
        } else {
            if (data.size() - pos < 4)
                Corrupt(file, "een veld mist zijn lengte");
            const std::uint32_t size = BigEndian32(data, pos);
            pos += 4;
            if (size > data.size() - pos)
                Corrupt(file, "een veld loopt door tot voorbij het artikel");
            value = data.substr(pos, size);
            pos += size;
        }
        if (IsTextType(type))
            html += BlankControls(FieldHtml(type, value));
    }
    return html;
}

std::string ImportStardict(const StardictFiles &files, const std::string &dir, Diagnostics &diag,
                           DictdImportCounts &counts, StardictInfo &info, Progress *progress) {
    std::string out(kStardictSourceHeader);
    ImportStardictRecords(files, dir, diag, counts, info, progress,
                          [&out](const std::string &record) { out += record; });
    return out;
}

void ImportStardictRecords(const StardictFiles &files, const std::string &dir, Diagnostics &diag,
                           DictdImportCounts &counts, StardictInfo &info, Progress *progress,
                           const RecordSink &emit) {
    info = ParseStardictInfo(ReadWhole(files.ifo, kMaxInfoSize), files.ifo);
    // Each file plain or compressed; one that cannot be read is named in the message.
    const auto read = [](const std::string &file) {
        try {
            return ReadGzipFile(file);
        } catch (const InputError &) {
            Corrupt(file, "het kan niet worden gelezen of uitgepakt");
        }
    };
    const std::string dict = read(files.dict);
    const std::string idx = read(files.idx);
    const std::vector<StardictWord> words = ParseStardictIndex(idx, info, dict.size(), files.idx);
    // Each entry's synonyms with their places in the .syn, which its warnings name.
    std::vector<std::vector<std::pair<std::string, int>>> extraKeys(words.size());
    Diagnostics synDiag(files.syn, "synonym");
    if (!files.syn.empty()) {
        const std::string syn = read(files.syn);
        int number = 0;
        for (auto &[word, target] : ParseStardictSynonyms(syn, info, files.syn))
            extraKeys[target].emplace_back(std::move(word), ++number);
    } else if (info.synWordCount != 0) {
        Corrupt(files.ifo, "het noemt synoniemen, maar het .syn-bestand ontbreekt");
    }

    // Several words may name one text (RAPIÉCER and RAPIECER): one record under them all.
    std::vector<TextRange> ranges;
    ranges.reserve(words.size());
    for (const StardictWord &word : words)
        ranges.push_back({word.offset, word.size});
    std::size_t done = 0;
    ForEachSameTextGroup(ranges, [&](const std::vector<std::uint32_t> &group) {
        done += group.size();
        if (progress != nullptr)
            progress->Step(done, words.size());
        std::vector<std::string> usable;  // the group's headwords, then their synonyms
        std::size_t kept = 0;
        for (const std::uint32_t i : group) {
            ++counts.entries;
            const std::string headword = WithoutControls(PlainLetters(words[i].word));
            const int line = static_cast<int>(i + 1);
            if (!UsableWord(headword)) {
                diag.Warn(line, "headword \"" + headword +
                                    "\" is blank or holds a marker of the result table; skipped");
                ++counts.skipped;
            } else {
                usable.push_back(headword);
                ++kept;
            }
        }
        if (usable.empty())
            return;
        const std::string keyword = usable[ArticleWord(usable)];
        std::vector<std::string> synonyms;
        for (const std::uint32_t i : group) {
            for (const auto &[synonym, number] : extraKeys[i]) {
                std::string key = WithoutControls(PlainLetters(synonym));
                if (key == keyword)
                    continue;
                if (!UsableWord(key)) {
                    synDiag.Warn(number, "\"" + key + "\" of \"" + keyword +
                                             "\" has no Windows-1252 form, is blank or holds a "
                                             "marker of the result table; left out");
                } else {
                    synonyms.push_back(std::move(key));
                }
            }
        }
        const std::string body = StardictEntryHtml(
            std::string_view(dict).substr(words[group.front()].offset, words[group.front()].size),
            info.sameTypeSequence, files.dict);
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start <= body.size()) {
            std::size_t end = body.find('\n', start);
            if (end == std::string::npos)
                end = body.size();
            std::string part = body.substr(start, end - start);
            if (!part.empty() && part.back() == '\r')
                part.pop_back();
            if (part.find_first_not_of(" \t") != std::string::npos)
                lines.push_back(std::move(part));
            start = end + 1;
        }
        // StarDict's texts rarely repeat their word: the headword leads, as in the other
        // books, so that hits of one search can be told apart (beside a pronunciation
        // that opens the entry).
        const std::string head = "<p class=\"head\">";
        const std::string word = "<b class=\"hw\">" + EscapeHtml(keyword) + "</b>";
        if (!lines.empty() && lines.front().rfind(head, 0) == 0)
            lines.front().insert(head.size(), word + " ");
        else
            lines.insert(lines.begin(), head + word + "</p>");
        usable.insert(usable.end(), synonyms.begin(), synonyms.end());
        std::vector<std::string> keys;
        for (const std::string &w : usable)
            if (w != keyword && std::find(keys.begin(), keys.end(), w) == keys.end())
                keys.push_back(w);
        if (!keys.empty())
            lines.insert(lines.begin(), KeyWordsComment(keys));
        emit(FormatRecord(keyword, dir, keys, lines));
        counts.records += kept;
    });
    diag.Append(synDiag);
}

}  // namespace books
