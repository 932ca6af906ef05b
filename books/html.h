// The small pieces of HTML that every book's page and the word finder's lines write alike:
// text escaped for the page, and the links that search a word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace books {

// The scheme of links that search: <a href="zoek:WORD">, WORD in UTF-8 with every byte
// outside A-Z a-z 0-9 - . _ ~ percent-encoded. A click runs a search for WORD.
inline constexpr std::string_view kSearchLinkScheme = "zoek:";

// &, <, > and " as references; control characters as blanks (they have no place in HTML
// text, and a blank keeps words apart). Bytes from 0x80 pass unchanged, so the text may be
// UTF-8 or Windows-1252.
std::string EscapeHtml(std::string_view text);

// The href of a link that searches for word (UTF-8).
std::string SearchLink(std::string_view utf8Word);

// The words besides its headword under which an entry is found (a StarDict synonym), noted
// at the start of its body for the viewer, which ranks a hit reached through the typed
// word first: "<!--keys zoek:W1 zoek:W2 -->", each word (UTF-8) as in SearchLink and '-'
// as %2D, so that nothing ends the comment early. Empty for no words.
inline constexpr std::string_view kKeyWordsComment = "<!--keys ";
std::string KeyWordsComment(const std::vector<std::string> &utf8Words);

// HTML for text laid out in lines and blanks (a plain entry, Pango markup), which HTML
// would run together: line ends become <br>, and blanks that open a line or follow a
// blank become no-break spaces (a tab opening a line four), so indentation and columns
// stay. Text is escaped; markup is passed on as it is.
class LaidOutHtml {
  public:
    void Text(std::string_view text);
    void Markup(std::string_view html);
    // A character reference: text on the line, though written as markup.
    void Reference(std::string_view html);
    void Break();
    std::string Take() { return std::move(out_); }

  private:
    std::string out_;
    bool lineStart_ = true;
    bool afterBlank_ = false;
};

// The text without the blank lines before and after it, and without trailing blanks:
// they carry no layout. The leading blanks of its first line stay.
std::string_view WithoutOuterBlankLines(std::string_view text);

// Plain text as one piece of laid-out HTML, without its outer blank lines.
std::string LaidOutTextHtml(std::string_view text);

}  // namespace books
