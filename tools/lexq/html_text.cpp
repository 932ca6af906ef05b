#include "html_text.h"

#include <algorithm>
#include <array>
#include <vector>

#include "entities.h"
#include "platform/cp1252.h"
#include "text_writer.h"
#include "viewer/core/BookText.h"

namespace lexq {

namespace {

constexpr int kListIndent = 3;

struct TTag {
    std::string Name;  // lower case; empty for comments and declarations
    bool Closing = false;
    std::size_t End = 0;  // just after the tag
};

// Elements that stand on lines of their own.
constexpr std::array<std::string_view, 30> kBlocks = {
    "address", "article", "aside", "blockquote", "caption",    "center", "dd",     "details",
    "div",     "dl",      "dt",    "fieldset",   "figcaption", "figure", "footer", "form",
    "h1",      "h2",      "h3",    "h4",         "h5",         "h6",     "header", "hr",
    "main",    "nav",     "p",     "section",    "table",      "tr"};

bool IsBlock(std::string_view name) {
    return std::find(kBlocks.begin(), kBlocks.end(), name) != kBlocks.end();
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

std::size_t FindFrom(std::string_view html, std::size_t from, std::string_view what) {
    const std::size_t found = html.find(what, from);
    return found == std::string_view::npos ? html.size() : found + what.size();
}

// Reads the tag that starts at pos ("<"). A "<" that starts no tag is text: returns false.
bool ReadTag(std::string_view html, std::size_t pos, TTag &tag) {
    const std::size_t n = html.size();
    if (html.substr(pos, 4) == "<!--") {
        tag = {{}, false, FindFrom(html, pos + 4, "-->")};
        return true;
    }
    std::size_t i = pos + 1;
    if (i < n && (html[i] == '!' || html[i] == '?')) {
        tag = {{}, false, FindFrom(html, i, ">")};
        return true;
    }
    tag = {};
    if (i < n && html[i] == '/') {
        tag.Closing = true;
        ++i;
    }
    if (i >= n || !IsLetter(html[i]))
        return false;
    while (i < n && (IsLetter(html[i]) || (html[i] >= '0' && html[i] <= '9')))
        tag.Name += Lower(html[i++]);
    // Attributes up to the ">", which may stand inside quotes.
    char quote = 0;
    for (; i < n; ++i) {
        if (quote != 0) {
            if (html[i] == quote)
                quote = 0;
        } else if (html[i] == '"' || html[i] == '\'') {
            quote = html[i];
        } else if (html[i] == '>') {
            tag.End = i + 1;
            return true;
        }
    }
    return false;  // never closed: the rest is text
}

// Where the content of a raw-text element (script, style) ends, after its closing tag.
std::size_t SkipRawText(std::string_view html, std::size_t from, const std::string &name) {
    const std::string closing = "</" + name;
    for (std::size_t i = from; i + closing.size() <= html.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; k < closing.size() && same; ++k)
            same = Lower(html[i + k]) == closing[k];
        if (same)
            return FindFrom(html, i, ">");
    }
    return html.size();
}

struct TList {
    bool Ordered;
    int Count = 0;
};

class TConverter {
  public:
    std::string Run(std::string_view html) {
        std::size_t i = 0;
        while (i < html.size()) {
            const char c = html[i];
            TTag tag;
            std::size_t length = 0;
            if (c == '<' && ReadTag(html, i, tag)) {
                i = tag.End;
                if (!tag.Closing && (tag.Name == "script" || tag.Name == "style"))
                    i = SkipRawText(html, i, tag.Name);
                else
                    Element(tag);
            } else if (c == '&' && ReadAndWrite(html.substr(i), length)) {
                i += length;
            } else if (char32_t code = 0; Utf8 && static_cast<unsigned char>(c) >= 0x80) {
                // A UTF-8 book's text; a byte that is none (the library refuses such books)
                // stands for itself as Windows-1252.
                const std::size_t used = platform::DecodeUtf8(html, i, code);
                Out.Text(used != 0 ? code
                                   : platform::Cp1252ToUnicode(static_cast<unsigned char>(c)));
                i += used != 0 ? used : 1;
            } else {
                Out.Text(platform::Cp1252ToUnicode(static_cast<unsigned char>(c)));
                ++i;
            }
        }
        return Out.Finish();
    }

  private:
    const bool Utf8 = booktext::IsUtf8();

    bool ReadAndWrite(std::string_view text, std::size_t &length) {
        const auto code = ReadReference(text, length);
        if (code)
            Out.Text(*code);
        return code.has_value();
    }

    int Depth() const { return static_cast<int>(Lists.size()); }

    void Element(const TTag &tag) {
        const std::string &name = tag.Name;
        if (name == "br") {
            Out.Break();
        } else if (name == "ul" || name == "ol" || name == "menu") {
            Out.EndLine();
            if (!tag.Closing)
                Lists.push_back({name == "ol"});
            else if (!Lists.empty())
                Lists.pop_back();
            Out.Indent = kListIndent * Depth();
        } else if (name == "li") {
            if (tag.Closing)
                Out.EndLine();
            else
                Item();
        } else if (name == "pre") {
            Out.EndLine();
            Out.Preformatted = !tag.Closing;
        } else if (name == "td" || name == "th") {
            Out.Space();
        } else if (IsBlock(name)) {
            Out.EndLine();
        }
    }

    void Item() {
        // An item outside any list is a bullet of its own.
        std::string marker = "\u2022 ";
        int indent = 0;
        if (!Lists.empty()) {
            TList &list = Lists.back();
            if (list.Ordered)
                marker = std::to_string(++list.Count) + ". ";
            indent = kListIndent * (Depth() - 1);
        }
        Out.StartItem(marker, indent);
    }

    TTextWriter Out;
    std::vector<TList> Lists;
};

}  // namespace

std::string HtmlToText(std::string_view html) {
    return TConverter().Run(html);
}

}  // namespace lexq
