#include "viewer/display/PageBounds.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace display {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <std::size_t N>
bool OneOf(std::string_view name, const std::array<std::string_view, N> &names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements without content.
constexpr std::array<std::string_view, 16> kVoid = {
    "br",   "img", "hr",    "meta",   "link",  "input", "col",      "area",
    "base", "wbr", "param", "source", "track", "embed", "basefont", "frame"};
// Elements whose end tag may be left out: the browser closes them itself, so they do not
// nest by being left open, and they are not counted.
constexpr std::array<std::string_view, 14> kOptionalEnd = {
    "p",     "li",    "dt",    "dd",     "tr",       "td",      "th",
    "thead", "tbody", "tfoot", "option", "colgroup", "caption", "html"};
constexpr std::array<std::string_view, 8> kTablePart = {"tr",    "td",    "th",       "thead",
                                                        "tbody", "tfoot", "colgroup", "caption"};
// Elements whose text runs to their own end tag, markup and all.
constexpr std::array<std::string_view, 5> kRawText = {"style", "script", "title", "textarea",
                                                      "xmp"};
// Elements that start a new line: a run of text does not go on across them.
constexpr std::array<std::string_view, 20> kLineBreaking = {
    "br", "p",  "div", "li", "tr", "td", "th", "table",      "ul",  "ol",
    "dl", "dt", "dd",  "h1", "h2", "h3", "hr", "blockquote", "pre", "body"};

struct TTag {
    std::size_t End = 0;  // past the token
    std::string Name;     // lower case; empty for a comment or declaration
    bool Closing = false;
    bool SelfClosing = false;
};

// The tag at page[start] == '<': up to its '>' outside quoted attribute values, a comment
// to its "-->", an element of raw text to the end of its end tag; the rest of the page
// when the end is missing.
TTag ReadTag(std::string_view page, std::size_t start) {
    TTag tag;
    const std::size_t n = page.size();
    if (page.substr(start, 4) == "<!--") {
        const std::size_t close = page.find("-->", start + 4);
        tag.End = close == std::string_view::npos ? n : close + 3;
        return tag;
    }
    std::size_t i = start + 1;
    if (i < n && page[i] == '/') {
        tag.Closing = true;
        ++i;
    }
    while (i < n && (IsLetter(page[i]) || (page[i] >= '0' && page[i] <= '9')))
        tag.Name += Lower(page[i++]);
    char quote = 0;
    bool afterEquals = false;
    for (; i < n; ++i) {
        const char c = page[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '>') {
            break;
        } else if ((c == '"' || c == '\'') && afterEquals) {
            quote = c;
        }
        if (quote == 0 && !IsBlank(c))
            afterEquals = c == '=';
    }
    tag.End = i < n ? i + 1 : n;
    tag.SelfClosing = tag.End >= 2 && page[tag.End - 2] == '/' && page[tag.End - 1] == '>';
    if (!tag.Closing && !tag.SelfClosing && OneOf(tag.Name, kRawText)) {
        // To "</name", in any case, and its '>'.
        for (std::size_t at = tag.End; at < n; ++at) {
            if (page[at] != '<' || at + 1 >= n || page[at + 1] != '/')
                continue;
            const std::string_view rest = page.substr(at + 2, tag.Name.size());
            if (rest.size() == tag.Name.size() &&
                std::equal(rest.begin(), rest.end(), tag.Name.begin(),
                           [](char a, char b) { return Lower(a) == b; })) {
                const std::size_t close = page.find('>', at);
                tag.End = close == std::string_view::npos ? n : close + 1;
                return tag;
            }
        }
        tag.End = n;
    }
    return tag;
}

class TBounder {
  public:
    TBounder(std::string_view page, const TPageBounds &bounds) : Page(page), Bounds(bounds) {
        Out.reserve(std::min(page.size(), bounds.MaxBytes) + 256);
    }

    std::string Run() {
        std::size_t i = 0;
        while (i < Page.size()) {
            const char c = Page[i];
            if (c == '<' && i + 1 < Page.size() &&
                (IsLetter(Page[i + 1]) || Page[i + 1] == '/' || Page[i + 1] == '!' ||
                 Page[i + 1] == '?')) {
                const TTag tag = ReadTag(Page, i);
                // Room for the tag, and for the end tag it may need at a cut.
                if (Out.size() + Closers + 2 * (tag.End - i) > Bounds.MaxBytes)
                    return Cut();
                Tag(tag, Page.substr(i, tag.End - i));
                i = tag.End;
                continue;
            }
            if (Out.size() + Closers + 1 > Bounds.MaxBytes)
                return Cut();
            Text(c);
            ++i;
        }
        return std::move(Out);
    }

    bool WasCut() const { return Cutting; }

  private:
    void Text(char c) {
        if (IsBlank(c)) {
            Word = 0;
            Entity = 0;
        } else {
            // Never inside an entity, nor before what may continue a UTF-8 character.
            const auto byte = static_cast<unsigned char>(c);
            if (Word >= Bounds.MaxWord && Entity == 0 && !(byte >= 0x80 && byte < 0xC0)) {
                Out += ' ';
                Word = 0;
            }
            ++Word;
            if (c == '&')
                Entity = 1;
            else if (Entity != 0 && (c == ';' || ++Entity > 12))
                Entity = 0;
        }
        Out += c;
    }

    // A tag as it stands; the line may break there when its element starts a line.
    void Emit(const std::string &name, std::string_view text) {
        if (OneOf(name, kLineBreaking))
            Word = Entity = 0;
        Out += text;
    }

    // What stands for a dropped tag: a place to break the line as well.
    void EmitBreak(std::string_view text) {
        Word = Entity = 0;
        Out += text;
    }

    void Tag(const TTag &tag, std::string_view text) {
        if (tag.Name.empty() || tag.SelfClosing || OneOf(tag.Name, kVoid) ||
            OneOf(tag.Name, kRawText)) {
            Emit(tag.Name, text);
            return;
        }
        if (tag.Name == "head" || tag.Name == "body") {
            InHead = tag.Name == "head" && !tag.Closing;
            Emit(tag.Name, text);
            return;
        }
        const std::size_t before = Out.size();
        if (tag.Closing)
            Close(tag.Name, text);
        else
            Open(tag.Name, text);
        // A dropped tag must not join a '<' of the text before it with the text after it
        // into a tag of their own.
        if (Out.size() == before && before > 0 && Out.back() == '<') {
            Out.back() = '&';
            Out += "lt;";
            // Counted as the page shown will be read again: four characters, one entity.
            Word += 3;
            Entity = 0;
        }
    }

    void Open(const std::string &name, std::string_view text) {
        if (DroppedTables > 0 && OneOf(name, kTablePart)) {
            EmitBreak(name == "tr" ? "<br>" : " ");  // the cells' text stays apart
            return;
        }
        if (!Cells.empty() && (name == "tr" || name == "td" || name == "th")) {
            std::size_t &cells = Cells.back();
            cells = name == "tr" ? 0 : cells + 1;
            if (cells > Bounds.MaxCells) {
                EmitBreak(" ");
                return;
            }
        }
        if (OneOf(name, kOptionalEnd)) {
            Emit(name, text);
            return;
        }
        const bool table = name == "table";
        if (OpenNames.size() >= Bounds.MaxDepth ||
            (table && Cells.size() >= Bounds.MaxTableDepth)) {
            ++(table ? DroppedTables : Dropped[name]);
            return;
        }
        OpenNames.push_back(name);
        Closers += name.size() + 3;
        if (table)
            Cells.push_back(0);
        Emit(name, text);
    }

    void Close(const std::string &name, std::string_view text) {
        if (name == "table" && DroppedTables > 0) {
            --DroppedTables;
            return;
        }
        if (DroppedTables > 0 && OneOf(name, kTablePart))
            return;
        // The end of a cell past its row's last.
        if (!Cells.empty() && Cells.back() > Bounds.MaxCells && (name == "td" || name == "th"))
            return;
        if (const auto dropped = Dropped.find(name);
            dropped != Dropped.end() && dropped->second > 0) {
            --dropped->second;
            return;
        }
        const auto found = std::find(OpenNames.rbegin(), OpenNames.rend(), name);
        if (found != OpenNames.rend()) {
            for (auto it = OpenNames.rbegin(); it != std::next(found); ++it) {
                Closers -= it->size() + 3;
                if (*it == "table")
                    Cells.pop_back();
            }
            OpenNames.erase(std::prev(found.base()), OpenNames.end());
        }
        Emit(name, text);
    }

    std::string Cut() {
        Cutting = true;
        for (auto it = OpenNames.rbegin(); it != OpenNames.rend(); ++it)
            Out += "</" + *it + ">";
        if (InHead)
            Out += "</head><body>";
        Out += "\r\n<p><b>";
        Out += kPageCutNotice;
        Out += "</b></p>\r\n";
        return std::move(Out);
    }

    std::string_view Page;
    const TPageBounds &Bounds;
    std::string Out;
    std::size_t Closers = 0;             // bytes of their end tags
    std::vector<std::string> OpenNames;  // counted elements kept open, innermost last
    std::vector<std::size_t> Cells;      // per table among them: the cells of its row so far
    std::map<std::string, std::size_t> Dropped;  // start tags dropped and not yet closed
    std::size_t DroppedTables = 0;
    std::size_t Word = 0;    // characters since the last place to break the line
    std::size_t Entity = 0;  // characters into an entity, 0 outside one
    bool InHead = false;
    bool Cutting = false;
};

}  // namespace

std::string BoundPage(std::string_view page, const TPageBounds &bounds, bool *wasCut) {
    TBounder bounder(page, bounds);
    std::string bounded = bounder.Run();
    if (wasCut != nullptr)
        *wasCut = bounder.WasCut();
    return bounded;
}

}  // namespace display
