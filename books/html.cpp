#include "books/html.h"

namespace books {

namespace {

void AppendEscaped(std::string &out, char c) {
    switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    }
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        AppendEscaped(out, c);
    return out;
}

std::string SearchLink(std::string_view utf8Word) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out(kSearchLinkScheme);
    for (const char c : utf8Word) {
        const auto byte = static_cast<unsigned char>(c);
        // ASCII alone: the unreserved characters of a URL, whatever the locale says.
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string KeyWordsComment(const std::vector<std::string> &utf8Words) {
    if (utf8Words.empty())
        return {};
    std::string comment(kKeyWordsComment);
    for (const std::string &word : utf8Words) {
        for (const char c : SearchLink(word))
            comment += c == '-' ? std::string("%2D") : std::string(1, c);
        comment += ' ';
    }
    return comment + "-->";
}

void LaidOutHtml::Text(std::string_view text) {
    for (const char c : text) {
        if (c == '\n') {
            Break();
        } else if (c == '\r') {
            continue;
        } else if (c == ' ' || c == '\t') {
            if (lineStart_ && c == '\t')
                out_ += "&nbsp;&nbsp;&nbsp;&nbsp;";
            else
                out_ += lineStart_ || afterBlank_ ? "&nbsp;" : " ";
            afterBlank_ = true;
        } else {
            AppendEscaped(out_, c);
            lineStart_ = afterBlank_ = false;
        }
    }
}

void LaidOutHtml::Markup(std::string_view html) {
    out_ += html;
}

void LaidOutHtml::Reference(std::string_view html) {
    out_ += html;
    lineStart_ = afterBlank_ = false;
}

void LaidOutHtml::Break() {
    out_ += "<br>";
    lineStart_ = true;
    afterBlank_ = false;
}

std::string_view WithoutOuterBlankLines(std::string_view text) {
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    if (last == std::string_view::npos)
        return {};
    text = text.substr(0, last + 1);
    const std::size_t lineEnd = text.rfind('\n', text.find_first_not_of(" \t\r\n"));
    return text.substr(lineEnd == std::string_view::npos ? 0 : lineEnd + 1);
}

std::string LaidOutTextHtml(std::string_view text) {
    LaidOutHtml html;
    html.Text(WithoutOuterBlankLines(text));
    return html.Take();
}

}  // namespace books
