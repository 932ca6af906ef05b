#include "viewer/finder/FinderPage.h"

#include "books/encoding.h"
#include "books/html.h"
#include "platform/cp1252.h"

using books::EscapeHtml;

namespace {

std::string Link(const std::string &word) {
    return "<a href=\"" + SearchLink(word) + "\">" + EscapePageText(word) + "</a>";
}

// The lines the finder writes are set apart from the book's entries by this class.
std::string Paragraph(const std::string &html) {
    return "<p class=\"zoekhulp\">" + html + "</p>";
}

}  // namespace

std::string SearchLink(const std::string &word) {
    return books::SearchLink(books::Cp1252WithReferencesToUtf8(word));
}

std::string EscapePageText(const std::string &text) {
    if (text.find("&#") == std::string::npos)
        return EscapeHtml(text);
    return books::Utf8ToCp1252WithReferences(EscapeHtml(books::Cp1252WithReferencesToUtf8(text)));
}

std::string WithLineAbove(const std::string &page, const std::string &html) {
    static const std::string kBody = "\r\n  <body>";
    const std::size_t at = page.find(kBody);
    if (at == std::string::npos)
        return page;
    std::string out = page;
    out.insert(at + kBody.size(), "\r\n    " + html);
    return out;
}

std::string BaseFormSentence(const std::string &typed, const std::string &base) {
    return "'" + typed + "' is een vorm van '" + base + "'.";
}

std::string BaseFormLine(const std::string &typed, const std::string &base) {
    return Paragraph("<i>" + EscapeHtml(BaseFormSentence(typed, base)) + "</i>");
}

std::string SeeAlsoLine(const std::string &word) {
    return Paragraph("<i>Zie ook:</i> " + Link(word));
}

std::string SuggestionLines(const std::vector<std::string> &words) {
    return SuggestionLines(words, {});
}

std::string SuggestionLines(const std::vector<std::string> &words,
                            const std::vector<std::string> &books) {
    std::string lines = Paragraph("Bedoelde u:");
    std::string links;
    for (std::size_t i = 0; i < words.size(); ++i) {
        links += (links.empty() ? "" : "<br>") + Link(words[i]);
        if (i < books.size())
            links += " (" + EscapeHtml(platform::Utf8ToCp1252(books[i])) + ")";
    }
    return lines + "\r\n    " + Paragraph(links);
}
