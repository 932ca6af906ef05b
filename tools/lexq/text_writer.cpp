#include "text_writer.h"

#include "entities.h"

namespace lexq {

namespace {

bool IsBlank(char32_t code) {
    return code == ' ' || code == '\t' || code == '\r' || code == '\n' || code == '\f';
}

void TrimEnd(std::string &line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
}

}  // namespace

void TTextWriter::StartLine() {
    if (Started)
        return;
    Line = Marker.empty() ? std::string(static_cast<std::size_t>(Indent), ' ') : Marker;
    Marker.clear();
    Started = true;
}

void TTextWriter::PushLine() {
    TrimEnd(Line);
    Lines.push_back(Line);
    Line.clear();
    Started = HasText = PendingSpace = false;
}

void TTextWriter::Text(char32_t code) {
    if (Preformatted) {
        if (code == '\n') {
            Break();
        } else if (code != '\r') {
            StartLine();
            AppendUtf8(Line, code);
            HasText = true;
        }
        return;
    }
    if (IsBlank(code)) {
        Space();
        return;
    }
    StartLine();
    if (PendingSpace && HasText)
        Line += ' ';
    PendingSpace = false;
    AppendUtf8(Line, code);
    HasText = true;
}

void TTextWriter::Space() {
    PendingSpace = true;
}

void TTextWriter::EndLine() {
    if (HasText)
        PushLine();
    PendingSpace = false;
}

void TTextWriter::Break() {
    if (!Started)
        StartLine();
    PushLine();
}

void TTextWriter::StartItem(const std::string &marker, int indent) {
    EndLine();
    // An item that never got text gives up its marker line.
    Started = false;
    Line.clear();
    Marker = std::string(static_cast<std::size_t>(indent), ' ') + marker;
}

std::string TTextWriter::Finish() {
    if (HasText)
        PushLine();
    std::string out;
    bool lastEmpty = true;  // also drops empty lines at the start
    for (const std::string &line : Lines) {
        const bool empty = line.find_first_not_of(' ') == std::string::npos;
        if (empty && lastEmpty)
            continue;
        if (!out.empty())
            out += '\n';
        if (!empty)
            out += line;
        lastEmpty = empty;
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

}  // namespace lexq
