#include "books/dsl.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include <iconv.h>
#include <zlib.h>

#include "books/encoding.h"
#include "books/freedict_entry.h"
#include "books/html.h"
#include "books/source.h"

namespace books {

namespace {

// Bounds that keep a hostile file from costing more than its size: open tags per line,
// #INCLUDE depth, and the bytes of a headword (a longer one has no search key).
constexpr std::size_t kMaxOpenTags = 32;
constexpr int kMaxIncludeDepth = 4;
constexpr int kMaxIncludes = 64;
constexpr std::size_t kMaxHeadwordBytes = 255;
constexpr int kMaxOptionalParts = 4;

[[noreturn]] void Refuse(const std::string &file, int line, const std::string &why) {
    throw InputError("Het bestand '" + file + "' is beschadigd of onvolledig: regel " +
                     std::to_string(line) + " " + why + ".");
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Windows-1251 from 0x80 to 0xBF; from 0xC0 the letters run in order from U+0410.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t code = unit(i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD;  // half of a pair without its other half
        if (code >= 0x80 && code <= 0x9F)
            code = FromCp1252(static_cast<std::uint8_t>(code));  // as DecodeLenient does
        AppendUtf8(out, code);
    }
    return out;
}

// Whether UTF-8 text holds a C1 control (U+0080-U+009F), which no book may store.
bool HoldsC1(std::string_view text) {
    for (std::size_t at = text.find('\xC2'); at != std::string_view::npos && at + 1 < text.size();
         at = text.find('\xC2', at + 1)) {
        if (static_cast<unsigned char>(text[at + 1]) <= 0x9F)
            return true;
    }
    return false;
}

// The header lines (those starting with '#') of the file's start, in lower case.
std::string HeaderLines(std::string_view bytes) {
    std::string header;
    for (std::string_view rest = bytes.substr(0, 4096); !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        if (rest.front() == '#')
            header += AsciiLower(rest.substr(0, end)) + '\n';
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return header;
}

// The Windows code page a file that is not Unicode is written in, by the languages (or the
// #SOURCE_CODE_PAGE) its header names: 1251 for Cyrillic, 1250 for Central Europe, 1253
// Greek, 1254 Turkish, 1257 Baltic, else 1252.
int HeaderCodePage(std::string_view bytes) {
    const std::string head = AsciiLower(bytes.substr(0, 4096));
    for (const char *cyrillic :
         {"cyrillic", "1251", "russian", "ukrainian", "belarusian", "bulgarian", "serbian"}) {
        if (head.find(cyrillic) != std::string::npos)
            return 1251;
    }
    static const std::pair<int, std::vector<const char *>> kPages[] = {
        {1250,
         {"easterneuropean", "polish", "czech", "slovak", "hungarian", "slovenian", "croatian",
          "romanian", "albanian", "bosnian"}},
        {1253, {"greek"}},
        {1254, {"turkish", "azeri"}},
        {1257, {"baltic", "estonian", "latvian", "lithuanian"}},
    };
    const std::string header = HeaderLines(bytes);
    for (const auto &[page, names] : kPages)
        for (const char *name : names)
            if (header.find(name) != std::string::npos)
                return page;
    return 1252;
}

// Text in a Windows code page, through the C library's converter; a byte the page has no
// character for becomes U+FFFD, so that the line still reads and shows where it was.
std::string CodePageToUtf8(std::string_view bytes, int codePage) {
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return Cp1252ToUtf8(bytes);
    std::string out(bytes.size() * 3 + 4, '\0');
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size();
    char *to = out.data();
    std::size_t toLeft = out.size();
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG || toLeft < 3)
            break;  // cannot happen: three bytes out for every byte in is enough
        std::memcpy(to, "\xEF\xBF\xBD", 3);
        to += 3;
        toLeft -= 3;
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    out.resize(out.size() - toLeft);
    return out;
}

// The quoted value of a header line ("#NAME \"WordNet\"" gives "WordNet").
std::string HeaderValue(std::string_view line) {
    std::size_t blank = 0;
    while (blank < line.size() && !IsBlank(line[blank]))
        ++blank;
    std::string_view value = TrimBlanks(line.substr(blank));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Takes a header line's #NAME or language into info (the first of each counts); returns
// the line's directive in lower case.
std::string ApplyHeaderLine(std::string_view line, DslInfo &info) {
    std::size_t nameEnd = 1;
    while (nameEnd < line.size() && !IsBlank(line[nameEnd]))
        ++nameEnd;
    const std::string name = AsciiLower(line.substr(1, nameEnd - 1));
    std::string *field = name == "name"                ? &info.name
                         : name == "index_language"    ? &info.indexLanguage
                         : name == "contents_language" ? &info.contentsLanguage
                                                       : nullptr;
    if (field != nullptr && field->empty())
        *field = HeaderValue(line);
    return name;
}

// A tag between square brackets: its name (lower case, "/" kept for a closing one) and
// what follows the name.
struct Tag {
    std::string name;
    std::string_view argument;
    std::size_t end = 0;  // just past its ']'
};

// The tag at text[pos] == '[', or an empty name when none closes on this line.
Tag TagAt(std::string_view text, std::size_t pos) {
    Tag tag;
    const std::size_t close = text.find(']', pos + 1);
    if (close == std::string_view::npos)
        return tag;
    const std::string_view inside = text.substr(pos + 1, close - pos - 1);
    std::size_t nameEnd = 0;
    while (nameEnd < inside.size() && !IsBlank(inside[nameEnd]))
        ++nameEnd;
    tag.name = AsciiLower(inside.substr(0, nameEnd));
    tag.argument = TrimBlanks(inside.substr(nameEnd));
    tag.end = close + 1;
    return tag;
}

// Text without tags and escapes: for link targets, labels and abbreviations.
std::string PlainText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            out += text[++i];
        } else if (text[i] == '[') {
            const Tag tag = TagAt(text, i);
            if (tag.name.empty()) {
                out += '[';
            } else {
                i = tag.end - 1;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

// Runs of blanks as one blank, none at the ends.
std::string CollapsedBlanks(std::string_view text) {
    std::string out;
    for (const char c : TrimBlanks(text)) {
        if (IsBlank(c)) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

// A [c] colour as one of the page's own colour classes: by its name's hue, or its hue as
// "#rrggbb".
std::string ColourClass(std::string_view argument) {
    const std::string name = AsciiLower(TrimBlanks(argument));
    if (name.empty())
        return "c-green";  // a bare [c] is green
    if (name.size() == 7 && name[0] == '#' &&
        name.find_first_not_of("0123456789abcdef", 1) == std::string::npos) {
        const int r = std::stoi(name.substr(1, 2), nullptr, 16);
        const int g = std::stoi(name.substr(3, 2), nullptr, 16);
        const int b = std::stoi(name.substr(5, 2), nullptr, 16);
        const int high = std::max({r, g, b}), low = std::min({r, g, b});
        if (high - low < 40)
            return "c-gray";
        if (high == r)
            return g > b + 60 ? "c-brown" : (b > g + 60 ? "c-purple" : "c-red");
        if (high == g)
            return "c-green";
        return r > g + 60 ? "c-purple" : "c-blue";
    }
    const auto has = [&name](std::initializer_list<const char *> words) {
        return std::any_of(words.begin(), words.end(),
                           [&name](const char *w) { return name.find(w) != std::string::npos; });
    };
    if (has({"gray", "grey", "silver", "black", "white", "gainsboro", "smoke"}))
        return "c-gray";
    if (has({"orchid", "violet", "purple", "magenta", "plum", "fuchsia", "lavender", "thistle"}))
        return "c-purple";
    if (has({"blue", "navy", "cyan", "turquoise", "teal", "aqua", "azure", "indigo"}))
        return "c-blue";
    if (has({"green", "olive", "lime", "sea", "chartreuse", "lawn", "honeydew", "mint"}))
        return "c-green";
    if (has({"yellow", "gold", "orange", "brown", "tan", "khaki", "sienna", "chocolate", "peru",
             "wheat", "wood", "beige", "moccasin", "bisque", "linen", "cornsilk"}))
        return "c-brown";
    if (has({"red", "maroon", "crimson", "tomato", "coral", "salmon", "pink", "rose"}))
        return "c-red";
    return "c-green";
}

// Writes one body line's HTML, keeping its open elements on a bounded stack so that the
// line's element is always well formed.
class LineWriter {
  public:
    LineWriter(std::string_view headword, const DslAbbreviations &abbreviations)
        : headword_(headword), abbreviations_(abbreviations) {}

    std::string Line(std::string_view line) {
        int indent = 1;  // a line without [m] is indented as [m1]
        if (line.size() >= 3 && line[0] == '[' && (line[1] == 'm' || line[1] == 'M')) {
            if (line[2] == ']') {
                line.remove_prefix(3);
            } else if (line.size() >= 4 && line[2] >= '0' && line[2] <= '9' && line[3] == ']') {
                indent = line[2] - '0';
                line.remove_prefix(4);
            }
        }
        out_ = "<div class=\"m" + std::to_string(indent) + "\">";
        Content(line);
        while (!open_.empty()) {
            out_ += open_.back().second;
            open_.pop_back();
        }
        out_ += "</div>";
        return std::move(out_);
    }

  private:
    void Text(std::string_view text) { out_ += EscapeHtml(text); }

    void Open(const std::string &name, const std::string &html, const std::string &close) {
        if (open_.size() >= kMaxOpenTags)
            return;  // deeper nesting than any book needs: the tag is dropped
        out_ += html;
        open_.emplace_back(name, close);
    }

    void Close(const std::string &name) {
        const auto it = std::find_if(open_.rbegin(), open_.rend(),
                                     [&name](const auto &o) { return o.first == name; });
        if (it == open_.rend())
            return;  // a closing tag of nothing open
        const std::size_t keep = static_cast<std::size_t>(open_.rend() - it) - 1;
        while (open_.size() > keep) {
            out_ += open_.back().second;
            open_.pop_back();
        }
    }

    // The text up to the closing tag `close` (from pos), and moves pos past it; nullopt
    // when the line holds no such tag.
    static std::optional<std::string_view> Until(std::string_view text, std::size_t &pos,
                                                 std::string_view close) {
        std::size_t at = pos;
        while (true) {
            at = text.find('[', at);
            if (at == std::string_view::npos)
                return std::nullopt;
            if (at > 0 && text[at - 1] == '\\') {
                ++at;
                continue;
            }
            if (AsciiLower(text.substr(at, close.size())) == close)
                break;
            ++at;
        }
        const std::string_view inside = text.substr(pos, at - pos);
        pos = at + close.size();
        return inside;
    }

    void Link(std::string_view target) {
        const std::string word = CollapsedBlanks(PlainText(target));
        if (word.empty())
            return;
        out_ += "<a href=\"" + SearchLink(word) + "\">" + EscapeHtml(word) + "</a>";
    }

    void Media(std::string_view name) {
        const std::string file = CollapsedBlanks(PlainText(name));
        const std::string lower = AsciiLower(file);
        bool picture = false;
        for (const char *ending : {".jpg", ".jpeg", ".png", ".bmp", ".gif", ".tif", ".tiff"})
            picture = picture || lower.ends_with(ending);
        out_ += "<span class=\"media\">(" +
                std::string(picture ? "afbeelding" : "geluid of video") + " '" + EscapeHtml(file) +
                "' wordt niet getoond)</span>";
    }

    void Abbreviation(std::string_view label) {
        const std::string text = PlainText(label);
        const auto it = abbreviations_.find(std::string(TrimBlanks(text)));
        out_ += "<span class=\"abbr\"";
        if (it != abbreviations_.end())
            out_ += " title=\"" + EscapeHtml(it->second) + "\"";
        out_ += ">" + EscapeHtml(text) + "</span>";
    }

    bool KnownTag(const Tag &tag, std::string_view text, std::size_t &pos) {
        const std::string &n = tag.name;
        const auto span = [this, &n](const char *cls) {
            Open(n, std::string("<span class=\"") + cls + "\">", "</span>");
        };
        if (n.empty())
            return false;
        if (n[0] == '/') {
            const std::string name = n.substr(1);
            if (name == "m" || (name.size() == 2 && name[0] == 'm'))
                return true;  // indents are per line
            if (name == "c" || name == "b" || name == "i" || name == "u" || name == "*" ||
                name == "ex" || name == "com" || name == "trn" || name == "trn1" ||
                name == "!trn" || name == "!trs" || name == "trs" || name == "lang" ||
                name == "t" || name == "sup" || name == "sub" || name == "'" || name == "preview" ||
                name == "p" || name == "ref" || name == "url" || name == "s") {
                Close(name);
                return true;
            }
            return false;
        }
        if (n == "m" || (n.size() == 2 && n[0] == 'm' && n[1] >= '0' && n[1] <= '9'))
            return true;  // an indent after the line's start changes nothing
        if (n == "b" || n == "i" || n == "u" || n == "sup" || n == "sub") {
            Open(n, "<" + n + ">", "</" + n + ">");
        } else if (n == "'") {
            Open(n, "<u>", "</u>");
        } else if (n == "c") {
            span(ColourClass(tag.argument).c_str());
        } else if (n == "*") {
            span("opt");
        } else if (n == "ex") {
            span("ex");
        } else if (n == "com") {
            span("com");
        } else if (n == "trn" || n == "trn1" || n == "!trn") {
            span("trn");
        } else if (n == "t") {
            span("pron");
        } else if (n == "lang" || n == "!trs" || n == "trs" || n == "preview") {
            Open(n, "", "");  // their text shows as it is
        } else if (n == "br") {
            out_ += "<br>";
        } else if (n == "p") {
            if (const auto label = Until(text, pos, "[/p]"))
                Abbreviation(*label);
            else
                span("abbr");
        } else if (n == "ref") {
            if (const auto target = Until(text, pos, "[/ref]"))
                Link(*target);
        } else if (n == "url") {
            if (const auto url = Until(text, pos, "[/url]"))
                Text(PlainText(*url));
        } else if (n == "s") {
            if (const auto media = Until(text, pos, "[/s]"))
                Media(*media);
        } else {
            return false;
        }
        return true;
    }

    void Content(std::string_view text) {
        std::size_t run = 0;  // start of the plain text not yet written
        std::size_t pos = 0;
        const auto flush = [&](std::size_t end) {
            if (end > run)
                Text(text.substr(run, end - run));
        };
        while (pos < text.size()) {
            const char c = text[pos];
            if (c == '\\' && pos + 1 < text.size()) {
                flush(pos);
                run = pos + 1;  // the escaped character is text
                pos += 2;
            } else if (c == '[') {
                const Tag tag = TagAt(text, pos);
                std::size_t after = tag.end;
                flush(pos);
                if (!tag.name.empty() && KnownTag(tag, text, after)) {
                    pos = run = after;
                } else {
                    run = pos;
                    ++pos;  // kept as text
                }
            } else if (c == '<' && text.substr(pos, 2) == "<<") {
                const std::size_t close = text.find(">>", pos + 2);
                if (close == std::string_view::npos) {
                    ++pos;
                    continue;
                }
                flush(pos);
                Link(text.substr(pos + 2, close - pos - 2));
                pos = run = close + 2;
            } else if (c == '~') {
                flush(pos);
                Text(headword_);
                pos = run = pos + 1;
            } else {
                ++pos;
            }
        }
        flush(text.size());
    }

    std::string_view headword_;
    const DslAbbreviations &abbreviations_;
    std::vector<std::pair<std::string, std::string>> open_;  // name, closing HTML
    std::string out_;
};

// Removes "{{...}}" comments; `inComment` carries one that goes on over line ends.
std::string WithoutComments(std::string_view line, bool &inComment) {
    std::string out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (inComment) {
            const std::size_t end = line.find("}}", pos);
            if (end == std::string_view::npos)
                return out;
            inComment = false;
            pos = end + 2;
            continue;
        }
        const std::size_t start = line.find("{{", pos);
        if (start == std::string_view::npos) {
            out.append(line.substr(pos));
            break;
        }
        out.append(line.substr(pos, start - pos));
        inComment = true;
        pos = start + 2;
    }
    return out;
}

// Reads cards from the lines of a text and its included files.
class CardReader {
  public:
    CardReader(Diagnostics &diag, DictdImportCounts &counts, DslInfo &info,
               const DslAbbreviations &abbreviations, const RecordSink &emit)
        : diag_(diag), counts_(counts), info_(info), abbreviations_(abbreviations), emit_(emit) {}

    void Read(const std::string &file, std::string_view text, int depth, Progress *progress) {
        const std::string previousFile = file_;
        file_ = file;
        std::size_t start = 0;
        int number = 0;
        bool header = true, inComment = false;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            std::string_view raw = text.substr(start, end - start);
            start = end + 1;
            ++number;
            if (progress != nullptr)
                progress->Step(start > text.size() ? text.size() : start, text.size());
            if (!raw.empty() && raw.back() == '\r')
                raw.remove_suffix(1);
            const std::string line = WithoutComments(raw, inComment);
            if (header && !line.empty() && line[0] == '#') {
                HeaderLine(line, number, depth);
                continue;
            }
            header = false;
            if (TrimBlanks(line).empty())
                continue;
            if (IsBlank(line[0])) {
                if (headwords_.empty())
                    Refuse(file_, number,
                           "hoort bij een artikel, maar er staat geen trefwoord boven");
                body_.emplace_back(TrimBlanks(line));
            } else {
                if (!body_.empty())
                    Emit();
                headwords_.emplace_back(line, number);
            }
        }
        if (!headwords_.empty() && body_.empty())
            Refuse(file_, headwords_.back().second,
                   "is een trefwoord zonder artikel: het bestand is afgebroken");
        Emit();
        file_ = previousFile;
    }

  private:
    void HeaderLine(const std::string &line, int number, int depth) {
        if (ApplyHeaderLine(line, info_) == "include")
            Include(HeaderValue(line), number, depth);
    }

    void Include(const std::string &value, int number, int depth) {
        if (depth >= kMaxIncludeDepth || ++includes_ > kMaxIncludes)
            Refuse(file_, number, "neemt bestanden op die elkaar weer opnemen");
        // Only a file beside it: a book names no other folders.
        if (value == "." || value == ".." || value.find_first_of("/\\") != std::string::npos)
            Refuse(file_, number, "neemt '" + value + "' op, dat niet naast het boek ligt");
        const std::filesystem::path path =
            std::filesystem::path(file_).parent_path() / std::filesystem::path(value);
        std::error_code error;
        if (value.empty() || !std::filesystem::is_regular_file(path, error))
            Refuse(file_, number, "neemt '" + value + "' op, maar dat bestand ontbreekt");
        std::string bytes;
        try {
            bytes = ReadGzipFile(path.string());
        } catch (const InputError &) {
            Refuse(file_, number, "neemt '" + value + "' op, maar dat kan niet worden gelezen");
        }
        const std::string text = DecodeDslText(std::move(bytes));
        // The cards so far end here; the included file's come next.
        if (!headwords_.empty() && body_.empty())
            Refuse(file_, headwords_.back().second, "is een trefwoord zonder artikel");
        Emit();
        Read(path.string(), text, depth + 1, nullptr);
    }

    // A headword's texts as keys: in the source's plain letters, usable, not too long.
    bool Usable(const std::string &key, int line) {
        if (!Utf8ToCp1252Strict(key)) {
            diag_.Warn(line, "headword \"" + key + "\" has no Windows-1252 form; skipped");
            CountForeign(counts_, key);
            return false;
        }
        if (!UsableWord(key) || key.size() > kMaxHeadwordBytes) {
            diag_.Warn(line, "headword \"" + key.substr(0, 40) +
                                 "\" is blank, too long or holds a marker of the result "
                                 "table; skipped");
            return false;
        }
        return true;
    }

    void Emit() {
        if (headwords_.empty())
            return;
        std::vector<std::string> keys;  // every usable text of the card, the keyword first
        std::string shown;
        for (const auto &[line, number] : headwords_) {
            ++counts_.entries;
            const DslHeadword headword = ParseDslHeadword(line);
            bool kept = false;
            for (const std::string &text : headword.keys) {
                const std::string key = WithoutControls(PlainLetters(text));
                if (!Usable(key, number))
                    continue;
                kept = true;
                if (std::find(keys.begin(), keys.end(), key) == keys.end())
                    keys.push_back(key);
            }
            if (!kept) {
                ++counts_.skipped;
                continue;
            }
            ++kept_;
            if (shown.empty())
                shown = WithoutControls(headword.shown);
        }
        if (!keys.empty()) {
            const std::string keyword = keys.front();
            keys.erase(keys.begin());
            std::vector<std::string> lines;
            if (!keys.empty())
                lines.push_back(KeyWordsComment(keys));
            lines.push_back("<p class=\"head\"><b class=\"hw\">" + EscapeHtml(shown) + "</b></p>");
            for (const std::string &body : body_) {
                LineWriter writer(keyword, abbreviations_);
                lines.push_back(writer.Line(body));
            }
            emit_(FormatRecord(keyword, "", keys, lines));
            counts_.records += kept_;
        }
        kept_ = 0;
        headwords_.clear();
        body_.clear();
    }

    Diagnostics &diag_;
    DictdImportCounts &counts_;
    DslInfo &info_;
    const DslAbbreviations &abbreviations_;
    const RecordSink &emit_;
    std::string file_;
    std::vector<std::pair<std::string, int>> headwords_;  // text, line
    std::vector<std::string> body_;
    std::size_t kept_ = 0;
    int includes_ = 0;
};

}  // namespace

std::string DecodeDslText(std::string text) {
    const std::string_view bytes = text;
    if (bytes.starts_with("\xEF\xBB\xBF") && IsValidUtf8(bytes.substr(3)) && !HoldsC1(bytes)) {
        text.erase(0, 3);  // in place: a large book is not held twice
        return text;
    }
    if (bytes.starts_with("\xFF\xFE"))
        return Utf16ToUtf8(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return Utf16ToUtf8(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return DecodeLenient(bytes.substr(3));
    if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0)
        return Utf16ToUtf8(bytes, false);
    if (bytes.size() >= 2 && bytes[0] == 0 && bytes[1] != 0)
        return Utf16ToUtf8(bytes, true);
    if (IsValidUtf8(bytes))
        return HoldsC1(bytes) ? DecodeLenient(bytes) : text;
    const int codePage = HeaderCodePage(bytes);
    if (codePage == 1252)
        return Cp1252ToUtf8(bytes);
    if (codePage != 1251)
        return CodePageToUtf8(bytes, codePage);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else if (byte < 0xC0)
            AppendUtf8(out, kCp1251High[byte - 0x80]);
        else
            AppendUtf8(out, 0x0410 + (byte - 0xC0));
    }
    return out;
}

std::string DslLanguageCode(std::string_view language) {
    static const std::pair<const char *, const char *> kCodes[] = {
        {"english", "en"},   {"dutch", "nl"},      {"german", "de"},     {"french", "fr"},
        {"spanish", "es"},   {"italian", "it"},    {"portuguese", "pt"}, {"russian", "ru"},
        {"ukrainian", "uk"}, {"belarusian", "be"}, {"polish", "pl"},     {"czech", "cs"},
        {"slovak", "sk"},    {"bulgarian", "bg"},  {"serbian", "sr"},    {"croatian", "hr"},
        {"slovenian", "sl"}, {"hungarian", "hu"},  {"romanian", "ro"},   {"greek", "el"},
        {"turkish", "tr"},   {"swedish", "sv"},    {"norwegian", "no"},  {"danish", "da"},
        {"finnish", "fi"},   {"estonian", "et"},   {"latvian", "lv"},    {"lithuanian", "lt"},
        {"latin", "la"},     {"esperanto", "eo"},  {"chinese", "zh"},    {"japanese", "ja"},
        {"korean", "ko"},    {"arabic", "ar"},     {"hebrew", "he"},     {"icelandic", "is"},
        {"afrikaans", "af"}, {"catalan", "ca"},    {"basque", "eu"},     {"welsh", "cy"},
        {"irish", "ga"},     {"georgian", "ka"},   {"armenian", "hy"},   {"kazakh", "kk"},
        {"tatar", "tt"},     {"frisian", "fy"}};
    const std::string lower = AsciiLower(TrimBlanks(language));
    for (const auto &[name, code] : kCodes) {
        // "GermanNewSpelling", "PortugueseStandard": the language opens the name.
        if (lower.starts_with(name))
            return code;
    }
    return {};
}

DslHeadword ParseDslHeadword(std::string_view line) {
    // The line as pieces: text that is always part of the keys, unsorted text that is
    // shown only, and optional text that makes a second form of the keys.
    enum class Kind { Text, Unsorted, Optional };
    std::vector<std::pair<Kind, std::string>> pieces(1, {Kind::Text, ""});
    int optionals = 0;
    Kind kind = Kind::Text;
    const auto start = [&pieces](Kind k) { pieces.emplace_back(k, ""); };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            pieces.back().second += line[++i];
        } else if (c == '{' && kind == Kind::Text) {
            start(kind = Kind::Unsorted);
        } else if (c == '}' && kind == Kind::Unsorted) {
            start(kind = Kind::Text);
        } else if (c == '(' && kind == Kind::Text && optionals < kMaxOptionalParts) {
            ++optionals;
            start(kind = Kind::Optional);
        } else if (c == ')' && kind == Kind::Optional) {
            start(kind = Kind::Text);
        } else if (c == '[') {
            const Tag tag = TagAt(line, i);
            if (tag.name.empty())
                pieces.back().second += c;
            else
                i = tag.end - 1;  // tags in a headword only style it
        } else {
            pieces.back().second += c;
        }
    }
    DslHeadword headword;
    for (const auto &[k, text] : pieces)
        headword.shown += k == Kind::Optional ? "(" + text + ")" : text;
    headword.shown = CollapsedBlanks(headword.shown);
    // Every choice of the optional parts, all of them first.
    for (int mask = 0; mask < (1 << optionals); ++mask) {
        std::string key;
        int n = 0;
        for (const auto &[k, text] : pieces) {
            if (k == Kind::Text || (k == Kind::Optional && (mask >> n++ & 1) == 0))
                key += text;
        }
        key = CollapsedBlanks(key);
        if (!key.empty() &&
            std::find(headword.keys.begin(), headword.keys.end(), key) == headword.keys.end())
            headword.keys.push_back(std::move(key));
    }
    return headword;
}

DslAbbreviations ParseDslAbbreviations(std::string_view utf8) {
    DslAbbreviations abbreviations;
    std::vector<std::string> words;
    bool explained = false, header = true, inComment = false;
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos)
            end = utf8.size();
        std::string_view raw = utf8.substr(start, end - start);
        start = end + 1;
        const std::string line = WithoutComments(raw, inComment);
        if (header && !line.empty() && line[0] == '#')
            continue;
        header = false;
        const std::string_view text = TrimBlanks(line);
        if (text.empty())
            continue;
        if (!IsBlank(line[0])) {
            if (explained)
                words.clear();
            explained = false;
            words.push_back(CollapsedBlanks(PlainText(text)));
        } else if (!explained && !words.empty()) {
            std::string_view body = text;
            if (body.size() >= 4 && body[0] == '[' && (body[1] == 'm' || body[1] == 'M') &&
                body[3] == ']')
                body.remove_prefix(4);
            for (const std::string &word : words)
                abbreviations.try_emplace(word, CollapsedBlanks(PlainText(body)));
            explained = true;
        }
    }
    return abbreviations;
}

std::string DslLineHtml(std::string_view line, std::string_view headword,
                        const DslAbbreviations &abbreviations) {
    return LineWriter(headword, abbreviations).Line(line);
}

const char *const kDslStyle =
    "/* Lingvo DSL books: indents [m0]-[m9], labels, examples, comments and [c] colours. */\n"
    "div.m0 { margin-left: 0px; }\n"
    "div.m1 { margin-left: 12px; }\n"
    "div.m2 { margin-left: 24px; }\n"
    "div.m3 { margin-left: 36px; }\n"
    "div.m4 { margin-left: 48px; }\n"
    "div.m5 { margin-left: 60px; }\n"
    "div.m6 { margin-left: 72px; }\n"
    "div.m7 { margin-left: 84px; }\n"
    "div.m8 { margin-left: 96px; }\n"
    "div.m9 { margin-left: 108px; }\n"
    "span.abbr { font-style: italic; color: #2e6b2e; }\n"
    "span.ex { color: #505a66; }\n"
    "span.com { color: #5a5a5a; }\n"
    "span.media { font-style: italic; color: #6e6e6e; }\n"
    "span.c-green { color: #2e6b2e; }\n"
    "span.c-blue { color: #1f4f9f; }\n"
    "span.c-gray { color: #6a6a6a; }\n"
    "span.c-red { color: #9f2222; }\n"
    "span.c-purple { color: #7a2f86; }\n"
    "span.c-brown { color: #7a5200; }\n";

DslInfo ReadDslHeader(const std::string &file) {
    DslInfo info;
    gzFile in = gzopen(file.c_str(), "rb");
    if (in == nullptr)
        return info;
    std::string bytes(64 * 1024, '\0');
    const int got = gzread(in, bytes.data(), static_cast<unsigned>(bytes.size()));
    gzclose(in);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    const std::string text = DecodeDslText(bytes);
    std::size_t start = 0;
    while (start < text.size() && text[start] == '#') {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = std::string_view(text).substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ApplyHeaderLine(line, info);
        start = end + 1;
    }
    return info;
}

void ImportDslRecords(const DslFiles &files, Diagnostics &diag, DictdImportCounts &counts,
                      DslInfo &info, Progress *progress, const RecordSink &emit) {
    const auto read = [](const std::string &file) {
        try {
            return DecodeDslText(ReadGzipFile(file));
        } catch (const InputError &) {
            throw InputError("Het bestand '" + file +
                             "' is beschadigd of onvolledig: het kan niet worden gelezen of "
                             "uitgepakt.");
        }
    };
    DslAbbreviations abbreviations;
    if (!files.abbreviations.empty())
        abbreviations = ParseDslAbbreviations(read(files.abbreviations));
    const std::string text = read(files.dsl);
    counts = DictdImportCounts{};
    CardReader reader(diag, counts, info, abbreviations, emit);
    reader.Read(files.dsl, text, 0, progress);
}

}  // namespace books
