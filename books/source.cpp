#include "books/source.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "books/encoding.h"

namespace books {

namespace {

// Body lines of a record are joined with the system's line break.
constexpr std::string_view kLineBreak = "\r\n";

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

enum class Field { None, Kw, Dir, Key };

// "kw:", "dir:" and "key:" at a line's start name a header field.
Field HeaderField(std::string_view line, std::string_view &value) {
    for (const auto &[name, field] : {std::pair<std::string_view, Field>{"kw:", Field::Kw},
                                      {"dir:", Field::Dir},
                                      {"key:", Field::Key}}) {
        if (line.substr(0, name.size()) == name) {
            value = Trim(line.substr(name.size()));
            return field;
        }
    }
    return Field::None;
}

// The viewer cuts result rows into cells at the first of these markers, so a text
// holding one would cut its row short there.
bool HasTableMarker(std::string_view cp1252, int line, Diagnostics &diag) {
    const std::string_view marker = TableMarkerIn(cp1252);
    if (marker.empty())
        return false;
    diag.Error(line, "\"" + std::string(marker) +
                         "\" cannot appear in an entry: the result table uses it");
    return true;
}

// Control characters (other than the tab) have no place in HTML text, and C1 controls
// in a UTF-8 file are nearly always damaged text; neither is stored.
std::optional<char32_t> FindControl(std::string_view utf8) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::optional<char32_t> decoded = DecodeUtf8(utf8, pos);
        if (!decoded) {  // callers pass valid UTF-8; step over a bad byte all the same
            ++pos;
            continue;
        }
        const char32_t cp = *decoded;
        if ((cp < 0x20 && cp != '\t') || (cp >= 0x7F && cp <= 0x9F))
            return cp;
    }
    return std::nullopt;
}

// Headwords, directions and keys are shown as plain text: they must be Windows-1252
// and free of control characters other than the tab.
std::optional<std::string> PlainField(std::string_view utf8, int line, const char *what,
                                      Diagnostics &diag, TextKind kind) {
    if (const auto control = FindControl(utf8)) {
        diag.Error(line, std::string(what) + " contains a control character (" +
                             CodePointName(*control) + ")");
        return std::nullopt;
    }
    if (kind == TextKind::Utf8) {
        if (HasTableMarker(utf8, line, diag))
            return std::nullopt;
        return std::string(utf8);
    }
    char32_t bad = 0;
    std::optional<std::string> text = Utf8ToCp1252Strict(utf8, &bad);
    if (!text) {
        diag.Error(line, std::string(what) + " contains " + CodePointName(bad) +
                             ", which Windows-1252 cannot represent");
        return std::nullopt;
    }
    if (HasTableMarker(*text, line, diag))
        return std::nullopt;
    return text;
}

class RecordParser {
  public:
    RecordParser(Diagnostics &diag, TextKind kind) : diag_(diag), kind_(kind) {}

    void Line(std::string_view line, int number) {
        if (!line.empty() && line[0] == '#')
            return;  // comments are allowed anywhere
        if (IsBlank(line)) {
            Finish();
            return;
        }
        if (!open_)
            Start(number);
        std::string_view value;
        const Field field = inBody_ ? Field::None : HeaderField(line, value);
        switch (field) {
            case Field::Kw:
                if (haveKw_) {
                    Fail(number, "a record has only one \"kw:\" line");
                } else if (value.empty()) {
                    Fail(number, "\"kw:\" needs a headword");
                } else if (auto text = PlainField(value, number, "headword", diag_, kind_)) {
                    entry_.headword = std::move(*text);
                    entry_.line = number;
                    haveKw_ = true;
                } else {
                    failed_ = true;
                }
                break;
            case Field::Dir:
                if (haveDir_) {
                    Fail(number, "a record has only one \"dir:\" line");
                } else if (auto text = PlainField(value, number, "\"dir:\" value", diag_, kind_)) {
                    entry_.dir = std::move(*text);
                    haveDir_ = true;
                } else {
                    failed_ = true;
                }
                break;
            case Field::Key:
                if (value.empty()) {
                    Fail(number, "\"key:\" needs a word");
                } else if (auto text = PlainField(value, number, "key", diag_, kind_)) {
                    entry_.keys.push_back({std::move(*text), number});
                } else {
                    failed_ = true;
                }
                break;
            case Field::None:
                // A leading backslash lets a body line start with anything, or be empty.
                if (line[0] == '\\')
                    line.remove_prefix(1);
                if (inBody_)
                    entry_.body += kLineBreak;
                inBody_ = true;
                if (const auto control = FindControl(line)) {
                    Fail(number,
                         "the body contains the control character " + CodePointName(*control));
                } else {
                    const std::string text = kind_ == TextKind::Utf8
                                                 ? std::string(line)
                                                 : Utf8ToCp1252WithReferences(line);
                    if (HasTableMarker(text, number, diag_))
                        failed_ = true;
                    entry_.body += text;
                }
                break;
        }
    }

    void Finish() {
        if (!open_)
            return;
        if (!haveKw_ && !failed_)
            Fail(start_, "record without a \"kw:\" line");
        if (!failed_)
            entries_.push_back(std::move(entry_));
        open_ = false;
    }

    std::vector<SourceEntry> Take() { return std::move(entries_); }

  private:
    void Start(int number) {
        entry_ = SourceEntry{};
        entry_.line = number;
        open_ = true;
        inBody_ = haveKw_ = haveDir_ = failed_ = false;
        start_ = number;
    }

    void Fail(int number, const std::string &message) {
        diag_.Error(number, message);
        failed_ = true;
    }

    Diagnostics &diag_;
    TextKind kind_;
    std::vector<SourceEntry> entries_;
    SourceEntry entry_;
    bool open_ = false;
    bool inBody_ = false;
    bool haveKw_ = false;
    bool haveDir_ = false;
    bool failed_ = false;
    int start_ = 0;
};

}  // namespace

std::string_view TableMarkerIn(std::string_view text) {
    for (const std::string_view marker : {"</td>", "</tr>", "</table>"})
        if (text.find(marker) != std::string_view::npos)
            return marker;
    return {};
}

std::vector<SourceEntry> ParseSource(std::string_view utf8, Diagnostics &diag, int linesBefore,
                                     TextKind kind) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF")
        utf8.remove_prefix(3);  // byte-order mark
    RecordParser parser(diag, kind);
    int number = linesBefore;
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos)
            end = utf8.size();
        std::string_view line = utf8.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos) {
            diag.Error(number, "NUL byte in column " + std::to_string(nul + 1));
            continue;  // a damaged line must neither join nor end a record
        }
        std::size_t pos = 0;
        bool valid = true;
        while ((pos = AsciiEnd(line, pos)) < line.size()) {
            if (!DecodeUtf8(line, pos)) {
                diag.Error(number, "invalid UTF-8 at column " + std::to_string(pos + 1));
                valid = false;
                break;
            }
        }
        if (valid)
            parser.Line(line, number);
    }
    parser.Finish();
    return parser.Take();
}

bool NeedsUtf8(const SourceEntry &utf8Entry) {
    if (!Utf8ToCp1252Strict(utf8Entry.headword) || !Utf8ToCp1252Strict(utf8Entry.dir))
        return true;
    for (const SourceKey &key : utf8Entry.keys)
        if (!Utf8ToCp1252Strict(key.text))
            return true;
    return false;
}

TextKind SourceTextKind(std::string_view utf8) {
    Diagnostics ignored;  // the real parse reports them
    for (const SourceEntry &entry : ParseSource(utf8, ignored, 0, TextKind::Utf8))
        if (NeedsUtf8(entry))
            return TextKind::Utf8;
    return TextKind::Cp1252;
}

namespace {

std::string ReadSourceText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw InputError(path + ": cannot open the source file");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw InputError(path + ": cannot read the source file");
    return text.str();
}

}  // namespace

std::vector<SourceEntry> ReadSourceFile(const std::string &path, Diagnostics &diag,
                                        TextKind *kind) {
    const std::string source = ReadSourceText(path);
    const TextKind made = kind != nullptr ? SourceTextKind(source) : TextKind::Cp1252;
    if (kind != nullptr)
        *kind = made;
    std::vector<SourceEntry> entries = ParseSource(source, diag, 0, made);
    diag.ThrowIfErrors();
    return entries;
}

std::vector<SourceEntry> ReadSourceFileAs(const std::string &path, Diagnostics &diag,
                                          TextKind kind) {
    std::vector<SourceEntry> entries = ParseSource(ReadSourceText(path), diag, 0, kind);
    diag.ThrowIfErrors();
    return entries;
}

std::string FormatRecord(std::string_view headword, std::string_view dir,
                         const std::vector<std::string> &keys,
                         const std::vector<std::string> &bodyLines) {
    std::string out = "kw: " + std::string(headword) + "\n";
    if (!dir.empty())
        out += "dir: " + std::string(dir) + "\n";
    for (const std::string &key : keys)
        out += "key: " + key + "\n";
    for (const std::string &line : bodyLines) {
        std::string_view ignored;
        const bool needsEscape = IsBlank(line) || line[0] == '#' || line[0] == '\\' ||
                                 HeaderField(line, ignored) != Field::None;
        out += needsEscape ? "\\" + line + "\n" : line + "\n";
    }
    out += "\n";
    return out;
}

}  // namespace books
