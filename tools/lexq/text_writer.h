// Collects terminal text line by line: collapses blanks as a browser does, ends lines at
// block boundaries and puts list markers and indentation in front of lines.
#pragma once

#include <string>
#include <vector>

namespace lexq {

class TTextWriter {
  public:
    // A character of the text (blanks collapse unless Preformatted).
    void Text(char32_t code);
    // A separator that shows as one blank only between two pieces of text.
    void Space();
    // Ends the current line when it holds text (a block boundary).
    void EndLine();
    // Ends the current line even when it is empty (a line break).
    void Break();
    // Starts a list item: the next line begins with the marker at the given indentation.
    void StartItem(const std::string &marker, int indent);
    // The text so far, lines joined by LF.
    std::string Finish();

    bool Preformatted = false;
    int Indent = 0;  // blanks in front of every new line that is no list item

  private:
    void StartLine();
    void PushLine();

    std::vector<std::string> Lines;
    std::string Line;
    std::string Marker;  // in front of the next line, with its indentation
    bool Started = false;
    bool HasText = false;
    bool PendingSpace = false;
};

}  // namespace lexq
