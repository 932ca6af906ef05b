#include "hive.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>

#include "encoding.h"

namespace platform {

namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

char32_t UpperCase(char32_t c) {
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - 0x20 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    // Latin Extended-A pairs; the dotted and dotless i, kra and long s have no partner.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c & ~char32_t{1};
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) != 0 ? c : c - 1;
    if (c == 0x3C2)  // final sigma
        return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3CB)
        return c - 0x20;
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return c - 0x25;
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

// A name or text as the file spells it, in UTF-8: hand-edited files may hold Windows-1252.
std::string TextOf(std::string_view token) {
    return IsUtf8(token) ? std::string(token) : Cp1252ToUtf8(token);
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t code =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = static_cast<unsigned char>(bytes[i + 2]) |
                                 (static_cast<unsigned char>(bytes[i + 3]) << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, code);
    }
    return out;
}

// `utf8` is valid UTF-8 (the store holds nothing else).
std::string Utf8ToUtf16Le(std::string_view utf8) {
    std::string out;
    const auto unit = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    char32_t code = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t used = DecodeUtf8(utf8, i, code);
        if (used == 0) {
            code = 0xFFFD;
            i += 1;
        } else {
            i += used;
        }
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

// Reads a quoted text starting after its opening quote; `end` is set past the closing
// quote. Only \\ and \" are escapes; any other backslash stands for itself.
bool ParseQuoted(std::string_view line, std::size_t start, std::string &out, std::size_t &end) {
    out.clear();
    for (std::size_t i = start; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            end = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
            out += line[++i];
        } else {
            out += c;
        }
    }
    return false;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "01,a2, ff" -> bytes; false on anything else.
bool ParseHexBytes(std::string_view list, std::string &bytes) {
    bytes.clear();
    int digits = 0;
    int value = 0;
    for (char c : list) {
        if (c == ',' || c == ' ' || c == '\t' || c == '\\' || c == '\r' || c == '\n') {
            if (digits > 0)
                bytes += static_cast<char>(value);
            digits = value = 0;
            continue;
        }
        const int d = HexDigit(c);
        if (d < 0 || ++digits > 2)  // a byte is one or two digits
            return false;
        value = value * 16 + d;
    }
    if (digits > 0)
        bytes += static_cast<char>(value);
    return true;
}

// A line that can go on a hex list: digits, commas, blanks and backslashes.
bool IsHexListLine(std::string_view line) {
    return Trim(line).find_first_not_of("0123456789abcdefABCDEF, \t\\") == std::string_view::npos;
}

// A value line (with its list lines so far) whose hex list goes on over the next line. A
// section line that ends so takes no lines: they would stay behind when it is replaced.
bool LeavesHexListOpen(std::string_view line) {
    return !line.empty() && (line.front() == '"' || line.front() == '@') && line.back() == '\\' &&
           line.find("=hex") != std::string_view::npos;
}

bool IsTextType(RegType type) {
    return type == RegType::String || type == RegType::ExpandString || type == RegType::MultiString;
}

bool ParseData(std::string_view data, bool unicodeData, RegType &type, std::string &bytes) {
    if (!data.empty() && data.front() == '"') {
        std::size_t end = 0;
        std::string text;
        if (!ParseQuoted(data, 1, text, end) || !Trim(data.substr(end)).empty())
            return false;
        type = RegType::String;
        bytes = TextOf(text);
        return true;
    }
    if (data.starts_with("dword:")) {
        const std::string_view digits = Trim(data.substr(6));
        if (digits.empty() || digits.size() > 8)
            return false;
        std::uint32_t value = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0)
                return false;
            value = value * 16 + static_cast<std::uint32_t>(d);
        }
        type = RegType::Dword;
        bytes.clear();
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        return true;
    }
    if (!data.starts_with("hex"))
        return false;
    const std::size_t colon = data.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view kind = data.substr(3, colon - 3);
    if (kind.empty()) {
        type = RegType::Binary;
    } else {
        if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')')
            return false;
        std::uint32_t number = 0;
        for (char c : kind.substr(1, kind.size() - 2)) {
            const int d = HexDigit(c);
            if (d < 0 || number > 0x0FFFFFFF)
                return false;
            number = number * 16 + static_cast<std::uint32_t>(d);
        }
        type = static_cast<RegType>(number);
    }
    if (!ParseHexBytes(data.substr(colon + 1), bytes))
        return false;
    if (IsTextType(type)) {
        bytes = unicodeData ? Utf16LeToUtf8(bytes) : Cp1252ToUtf8(bytes);
        // One terminator belongs to the stored form, not to the text.
        if (type != RegType::MultiString && !bytes.empty() && bytes.back() == '\0')
            bytes.pop_back();
    }
    return true;
}

std::string HexList(std::string_view prefix, std::string_view bytes, std::string_view eol) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out(prefix);
    std::size_t column = out.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (i > 0) {
            out += ',';
            ++column;
            if (column > 76) {
                out += '\\';
                out += eol;
                out += "  ";
                column = 2;
            }
        }
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
        column += 2;
    }
    return out;
}

// The value's line (lines, for a long hex list) without its final line end; nothing when
// an old REGEDIT4 file cannot hold the text.
std::optional<std::string> FormatValue(std::string_view name, RegType type, std::string_view data,
                                       bool unicodeData, std::string_view eol) {
    std::string line = name.empty() ? std::string("@") : Quote(name);
    line += '=';
    if (type == RegType::String && std::none_of(data.begin(), data.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != '\t';
        }))
        return line + Quote(data);
    if (type == RegType::Dword && data.size() == 4) {
        char digits[16];
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(data[i]);
        std::snprintf(digits, sizeof digits, "dword:%08x", v);
        return line + digits;
    }
    std::string bytes(data);
    if (IsTextType(type)) {
        if (type != RegType::MultiString)
            bytes += '\0';
        if (unicodeData) {
            bytes = Utf8ToUtf16Le(bytes);
        } else if (std::optional<std::string> ansi = Utf8ToCp1252Exact(bytes)) {
            bytes = std::move(*ansi);
        } else {
            return std::nullopt;
        }
    }
    if (type == RegType::Binary)
        return HexList(line + "hex:", bytes, eol);
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<std::uint32_t>(type));
    return HexList(line + prefix, bytes, eol);
}

std::string ParentPath(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

// Appends the folded form of the character at `i` (a byte that is no UTF-8 stands for
// itself); returns the bytes it took.
std::size_t AppendFoldedCharacter(std::string &out, std::string_view utf8, std::size_t i) {
    char32_t code = 0;
    const std::size_t used = DecodeUtf8(utf8, i, code);
    if (used == 0) {
        out += utf8[i];
        return 1;
    }
    AppendUtf8(out, UpperCase(code));
    return used;
}

// The bytes of a name's folded form, a character at a time: names compare without
// building their folded copies (the INI reader compares every name it passes).
class FoldedBytes {
  public:
    explicit FoldedBytes(std::string_view utf8) : text_(utf8) {}

    // The next byte, or -1 at the end.
    int Next() {
        if (at_ < character_.size())
            return static_cast<unsigned char>(character_[at_++]);
        if (i_ == text_.size())
            return -1;
        const auto c = static_cast<unsigned char>(text_[i_]);
        if (c < 0x80) {  // most names are ASCII
            ++i_;
            return static_cast<int>(UpperCase(c));
        }
        character_.clear();  // short: stays in the string's own buffer
        at_ = 0;
        i_ += AppendFoldedCharacter(character_, text_, i_);
        return static_cast<unsigned char>(character_[at_++]);
    }

  private:
    std::string_view text_;
    std::size_t i_ = 0;
    std::string character_;
    std::size_t at_ = 0;
};

// Every look-up of a key folds its whole path: ASCII, most of it, is not decoded.
void AppendFolded(std::string &out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(UpperCase(c));
            ++i;
        } else {
            i += AppendFoldedCharacter(out, utf8, i);
        }
    }
}

// Calls each(level) for the path's levels, leaving out the empty ones ("\\a\\\\b\\" has two).
template <typename Each>
void ForEachLevel(std::string_view path, Each each) {
    while (!path.empty()) {
        const std::size_t slash = std::min(path.find('\\'), path.size());
        if (slash > 0)
            each(path.substr(0, slash));
        path.remove_prefix(std::min(slash + 1, path.size()));
    }
}

// "ROOT\PATH" folded, the path normalised on the way: a look-up takes its path as given.
// No byte of a multi-byte character is a backslash, so folding keeps every level apart.
std::string IndexName(std::string_view root, std::string_view path) {
    std::string name;
    name.reserve(root.size() + 1 + path.size());
    AppendFolded(name, root);
    name += '\\';
    const std::size_t pathStart = name.size();
    ForEachLevel(path, [&](std::string_view level) {
        if (name.size() > pathStart)
            name += '\\';
        AppendFolded(name, level);
    });
    return name;
}

}  // namespace

// A key as the file defines it at its end, with the lines that define it.
struct Hive::Entry {
    HiveKey key;
    Entry *parent = nullptr;
    std::vector<Entry *> children;  // file order
    // The lines "[key]" of its sections since it was last deleted.
    std::vector<std::size_t> headers;
    // Every value line of those sections, "=-" lines included.
    std::vector<std::pair<std::size_t, std::size_t>> valueLines;
    // Per value: the lines that set it since it was last deleted (the last one counts).
    std::vector<std::vector<std::pair<std::size_t, std::size_t>>> definitions;
    std::unordered_map<std::string, std::size_t> valueIndex;  // folded name -> position
    std::size_t lastLine = kNone;  // the last line of its last section's header or values
    // Deleted by a later line. While the file is read, deleted keys and values stay in
    // their lists, and go once at its end: a file of many deletions reads in linear time.
    bool removed = false;
    const std::string *indexName = nullptr;  // its key in the index, while it is there

    // Drops the values marked deleted (no line sets them) and the deleted children.
    void Compact();
};

void Hive::Entry::Compact() {
    std::erase_if(children, [](const Entry *child) { return child->removed; });
    std::vector<std::size_t> moved(definitions.size(), kNone);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < definitions.size(); ++i) {
        if (definitions[i].empty())
            continue;
        if (kept != i) {
            key.values[kept] = std::move(key.values[i]);
            definitions[kept] = std::move(definitions[i]);
        }
        moved[i] = kept++;
    }
    key.values.resize(kept);
    definitions.resize(kept);
    for (auto &position : valueIndex)
        position.second = moved[position.second];
}

// Changes to the lines of the text: lines dropped, lines replaced, text inserted after a
// line or appended as a section of its own.
struct Hive::Edits {
    std::vector<char> drop;
    std::map<std::size_t, std::string> replace;
    std::map<std::size_t, std::string> insertAfter;
    std::string append;
};

Hive::Hive() = default;
Hive::~Hive() = default;
Hive::Hive(Hive &&) noexcept = default;
Hive &Hive::operator=(Hive &&) noexcept = default;

std::string NormalizeKeyPath(std::string_view path) {
    std::string normal;
    normal.reserve(path.size());
    ForEachLevel(path, [&](std::string_view level) {
        if (!normal.empty())
            normal += '\\';
        normal.append(level);
    });
    return normal;
}

bool KeyPathFits(std::string_view path) {
    std::size_t depth = path.empty() ? 0 : 1;
    std::size_t length = 0;
    char32_t code = 0;
    for (std::size_t i = 0; i < path.size();) {
        if (path[i] == '\\') {
            if (++depth > kMaxKeyDepth)
                return false;
            length = 0;
            ++i;
            continue;
        }
        const std::size_t used = DecodeUtf8(path, i, code);
        i += used == 0 ? 1 : used;
        if (++length > kMaxKeyNameLength)
            return false;
    }
    return true;
}

std::string FoldKeyName(std::string_view utf8) {
    std::string folded;
    folded.reserve(utf8.size());
    AppendFolded(folded, utf8);
    return folded;
}

bool SameFoldedName(std::string_view a, std::string_view b) {
    FoldedBytes left(a), right(b);
    while (true) {
        const int byte = left.Next();
        if (byte != right.Next())
            return false;
        if (byte < 0)
            return true;
    }
}

Hive Hive::Parse(std::string_view bytes) {
    Hive hive;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        hive.utf16_ = true;
        hive.Load(Utf16LeToUtf8(bytes.substr(2)));
    } else {
        hive.Load(std::string(bytes));
    }
    return hive;
}

std::string Hive::Bytes() const {
    return utf16_ ? "\xFF\xFE" + Utf8ToUtf16Le(text_) : text_;
}

std::string_view Hive::LineText(std::size_t line) const {
    return std::string_view(text_).substr(lines_[line].begin,
                                          lines_[line].end - lines_[line].begin);
}

std::string_view Hive::LineEnd(std::size_t line) const {
    const std::string_view text = LineText(line);
    if (text.ends_with("\r\n"))
        return text.substr(text.size() - 2);
    if (text.ends_with("\n"))
        return text.substr(text.size() - 1);
    return {};
}

void Hive::Load(std::string text) {
    text_ = std::move(text);
    lines_.clear();
    openListEnds_.clear();
    entries_.clear();
    index_.clear();
    unicodeData_ = true;
    for (std::size_t begin = 0; begin < text_.size();) {
        std::size_t end = text_.find('\n', begin);
        end = end == std::string::npos ? text_.size() : end + 1;
        lines_.push_back(Span{begin, end});
        begin = end;
    }
    eol_ = !lines_.empty() && LineText(0).ends_with("\r\n") ? "\r\n" : "\n";

    Entry *current = nullptr;
    bool headerSeen = false;
    for (std::size_t i = 0; i < lines_.size();) {
        const std::size_t first = i;
        std::string_view raw = LineText(i++);
        if (first == 0 && raw.starts_with(kUtf8Mark))
            raw.remove_prefix(kUtf8Mark.size());
        std::string line(Trim(raw));
        // A hex list goes on over lines that end in a backslash, with lines of hex digits:
        // a section or value after a last list line that ends so is never taken into it.
        while (LeavesHexListOpen(line) && i < lines_.size() && IsHexListLine(LineText(i)))
            line.append(Trim(LineText(i++)));
        const std::size_t last = i - 1;
        if (LeavesHexListOpen(line))
            openListEnds_.push_back(last);
        if (line.empty() || line.front() == ';')
            continue;
        // The header alone says how text is stored: one way for the whole file, or a value
        // written above a stray "REGEDIT4" line would read back otherwise.
        if (!headerSeen) {
            headerSeen = true;
            if (line == kHeader4) {
                unicodeData_ = false;
                continue;
            }
        }
        if (line.front() == '[') {
            current = nullptr;
            const std::size_t close = line.rfind(']');
            if (close == std::string::npos || close < 2)
                continue;
            std::string_view inner = std::string_view(line).substr(1, close - 1);
            const bool remove = inner.front() == '-';
            if (remove)
                inner.remove_prefix(1);
            const std::string name = TextOf(inner);
            const std::size_t slash = name.find('\\');
            const std::string root = name.substr(0, slash);
            const std::string path =
                NormalizeKeyPath(slash == std::string::npos ? "" : name.substr(slash + 1));
            if (root.empty() || !KeyPathFits(root) || !KeyPathFits(path))
                continue;
            if (remove) {
                RemoveEntry(FindEntry(root, path));
            } else {
                current = CreateEntry(root, path);
                current->headers.push_back(first);
                current->lastLine = first;
            }
            continue;
        }
        if (current == nullptr)
            continue;
        std::string name;
        std::size_t afterName = 0;
        if (line.front() == '@') {
            afterName = 1;
        } else if (line.front() != '"' || !ParseQuoted(line, 1, name, afterName)) {
            continue;
        }
        name = TextOf(name);
        const std::string_view rest = Trim(std::string_view(line).substr(afterName));
        if (rest.empty() || rest.front() != '=')
            continue;
        const std::string_view data = Trim(rest.substr(1));
        RegType type = RegType::None;
        std::string bytes;
        const bool removal = data == "-";
        if (!removal && !ParseData(data, unicodeData_, type, bytes))
            continue;  // a line it cannot read stays as it is and means nothing
        Entry &key = *current;
        key.valueLines.emplace_back(first, last);
        key.lastLine = last;
        const std::string folded = FoldKeyName(name);
        const auto found = key.valueIndex.find(folded);
        if (removal) {
            if (found != key.valueIndex.end()) {
                key.definitions[found->second].clear();
                key.valueIndex.erase(found);
            }
        } else if (found == key.valueIndex.end()) {
            key.valueIndex.emplace(folded, key.key.values.size());
            key.key.values.push_back(HiveValue{std::move(name), type, std::move(bytes)});
            key.definitions.push_back({{first, last}});
        } else {
            HiveValue &value = key.key.values[found->second];
            value.type = type;
            value.data = std::move(bytes);
            key.definitions[found->second].emplace_back(first, last);
        }
    }
    for (const auto &entry : entries_)
        entry->Compact();
}

Hive::Entry *Hive::FindEntry(std::string_view root, std::string_view path) const {
    const auto found = index_.find(IndexName(root, path));
    return found == index_.end() ? nullptr : found->second;
}

// Finds or makes the entry and its parents up to the root; a new one takes the spelling
// of `path` for its own name and its parents' spelling for theirs. Folding keeps every
// backslash in its place, so each parent's index name is a prefix of the key's: the path
// is folded once, not once per level.
Hive::Entry *Hive::CreateEntry(const std::string &root, const std::string &path) {
    const std::string name = IndexName(root, path);
    if (const auto found = index_.find(name); found != index_.end())
        return found->second;
    Entry *parent = nullptr;
    std::size_t nameEnd = FoldKeyName(root).size() + 1;  // the root's own "ROOT\"
    std::size_t ownStart = 0, ownEnd = 0;                // the level's own name in path
    for (;;) {
        const auto [slot, added] = index_.try_emplace(name.substr(0, nameEnd), nullptr);
        if (added) {
            entries_.push_back(std::make_unique<Entry>());
            Entry *entry = entries_.back().get();
            entry->indexName = &slot->first;
            if (parent == nullptr) {
                entry->key.root = root;
            } else {
                const std::string_view own =
                    std::string_view(path).substr(ownStart, ownEnd - ownStart);
                entry->key.root = parent->key.root;
                entry->key.path = parent->key.path.empty()
                                      ? std::string(own)
                                      : parent->key.path + '\\' + std::string(own);
                entry->parent = parent;
                parent->children.push_back(entry);
            }
            slot->second = entry;
        }
        parent = slot->second;
        if (nameEnd >= name.size())
            return parent;
        ownStart = parent->parent == nullptr ? 0 : ownEnd + 1;
        ownEnd = std::min(path.find('\\', ownStart), path.size());
        nameEnd =
            std::min(name.find('\\', nameEnd + (parent->parent == nullptr ? 0 : 1)), name.size());
    }
}

void Hive::RemoveEntry(Entry *entry) {
    if (entry == nullptr)
        return;
    entry->removed = true;
    std::vector<Entry *> pending{entry};
    while (!pending.empty()) {
        Entry *next = pending.back();
        pending.pop_back();
        index_.erase(std::string(*next->indexName));  // not a reference into the node it frees
        for (Entry *child : next->children)
            if (!child->removed)
                pending.push_back(child);
        next->children.clear();
    }
}

const HiveKey *Hive::Find(std::string_view root, std::string_view path) const {
    const Entry *entry = FindEntry(root, path);
    return entry == nullptr ? nullptr : &entry->key;
}

std::vector<std::string> Hive::Children(std::string_view root, std::string_view path) const {
    std::vector<std::string> names;
    if (const Entry *entry = FindEntry(root, path)) {
        for (const Entry *child : entry->children) {
            const std::size_t slash = child->key.path.rfind('\\');
            names.push_back(slash == std::string::npos ? child->key.path
                                                       : child->key.path.substr(slash + 1));
        }
    }
    return names;
}

const HiveValue *Hive::FindValue(const HiveKey &key, std::string_view name) {
    for (const HiveValue &value : key.values)
        if (SameFoldedName(value.name, name))
            return &value;
    return nullptr;
}

std::string Hive::Header(std::string_view root, std::string_view path) const {
    std::string header = "[";
    header += root;
    if (!path.empty()) {
        header += '\\';
        header += path;
    }
    return header + "]";
}

std::string Hive::Apply(const Edits &edits) const {
    std::string out;
    out.reserve(text_.size() + edits.append.size() + 64);
    const auto endLine = [&out, this] {
        if (!out.empty() && out.back() != '\n')
            out += eol_;
    };
    // A hex list left open on its last line was closed by the line after it; when that
    // line goes, the list must not take in what now follows, so its backslash goes too.
    std::size_t openBackslash = kNone;  // in out, while the last line kept leaves a list open
    auto openEnd = openListEnds_.begin();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        while (openEnd != openListEnds_.end() && *openEnd < i)
            ++openEnd;
        const bool dropped = i < edits.drop.size() && edits.drop[i] != 0;
        if (const auto replaced = edits.replace.find(i); replaced != edits.replace.end()) {
            out += replaced->second;
            openBackslash = kNone;
        } else if (!dropped) {
            const std::string_view line = LineText(i);
            if (openBackslash != kNone && IsHexListLine(line))
                out.erase(openBackslash, 1);
            out += line;
            // The list's own lines were all kept, and any after its backslash are blank.
            openBackslash =
                openEnd != openListEnds_.end() && *openEnd == i ? out.rfind('\\') : kNone;
        }
        if (const auto inserted = edits.insertAfter.find(i); inserted != edits.insertAfter.end()) {
            endLine();
            out += inserted->second;
            openBackslash = kNone;
        }
    }
    if (!edits.append.empty()) {
        if (out.empty() || out == kUtf8Mark) {
            out += kHeader5;
            out += eol_;
        }
        endLine();
        // A blank line before a new section, as the format writes it.
        if (!out.ends_with(eol_ + eol_))
            out += eol_;
        out += edits.append;
    }
    return out;
}

// Writes the edits and reads the result. The first line that says anything decides how the
// whole file stores text; when an edit takes out that line (a file without a header begins
// with a section) and a stray "REGEDIT4" becomes the first, the file's own header goes on
// top, or every text value would read back otherwise.
void Hive::Commit(const Edits &edits) {
    const bool unicode = unicodeData_;
    const std::string eol = eol_;
    Load(Apply(edits));
    if (unicodeData_ == unicode)
        return;
    std::string text = std::move(text_);
    text.insert(text.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0,
                std::string(unicode ? kHeader5 : kHeader4) + eol);
    Load(std::move(text));
}

std::string Hive::SpelledPath(std::string_view root, const std::string &normal) const {
    if (const Entry *existing = FindEntry(root, normal))
        return existing->key.path;
    for (std::string parent = ParentPath(normal); !parent.empty(); parent = ParentPath(parent))
        if (const Entry *found = FindEntry(root, parent))
            return found->key.path + normal.substr(parent.size());
    return normal;
}

const HiveKey *Hive::Create(std::string_view root, std::string_view path) {
    const std::string normal = NormalizeKeyPath(path);
    if (!KeyPathFits(normal))
        return nullptr;
    const Entry *existing = FindEntry(root, normal);
    // The root always exists; it has a section only once it has values.
    if (existing == nullptr || (normal.empty() && existing->headers.empty())) {
        Edits edits;
        edits.append = Header(root, SpelledPath(root, normal)) + eol_;
        Commit(edits);
        existing = FindEntry(root, normal);
    }
    return &existing->key;
}

bool Hive::SetValue(std::string_view root, std::string_view path, std::string_view name,
                    RegType type, std::string_view data) {
    const std::string normal = NormalizeKeyPath(path);
    if (!KeyPathFits(normal))
        return false;
    const Entry *entry = FindEntry(root, normal);
    const auto found = entry == nullptr
                           ? std::unordered_map<std::string, std::size_t>::const_iterator()
                           : entry->valueIndex.find(FoldKeyName(name));
    const bool exists = entry != nullptr && found != entry->valueIndex.end();
    const std::optional<std::string> line =
        FormatValue(exists ? std::string_view(entry->key.values[found->second].name) : name, type,
                    data, unicodeData_, eol_);
    if (!line)
        return false;
    Edits edits;
    if (exists) {
        // The line that sets it now is rewritten in place, with the name as spelled there.
        const auto [first, last] = entry->definitions[found->second].back();
        edits.replace[first] = *line + std::string(LineEnd(last));
        edits.drop.assign(lines_.size(), 0);
        for (std::size_t i = first + 1; i <= last; ++i)
            edits.drop[i] = 1;
    } else if (entry != nullptr && !entry->headers.empty()) {
        edits.insertAfter[entry->lastLine] = *line + eol_;
    } else {
        // A new key, or one named so far only as the parent of others: a section of its own.
        edits.append = Header(root, SpelledPath(root, normal)) + eol_ + *line + eol_;
    }
    Commit(edits);
    return true;
}

bool Hive::RemoveValue(std::string_view root, std::string_view path, std::string_view name) {
    const Entry *entry = FindEntry(root, path);
    if (entry == nullptr)
        return false;
    const auto found = entry->valueIndex.find(FoldKeyName(name));
    if (found == entry->valueIndex.end())
        return false;
    Edits edits;
    edits.drop.assign(lines_.size(), 0);
    for (const auto &[first, last] : entry->definitions[found->second])
        for (std::size_t i = first; i <= last; ++i)
            edits.drop[i] = 1;
    Commit(edits);
    return true;
}

void Hive::RemoveTree(std::string_view root, std::string_view path) {
    RemoveKeys(root, path, false);
}

void Hive::ClearTree(std::string_view root, std::string_view path) {
    RemoveKeys(root, path, true);
}

// Drops the sections of the key's subtree (all but the key's own headers when it stays).
// Two cases need a line more: a key that existed only as the parent of what went would
// vanish with it, so it takes the place of the first header dropped; and a key that a
// header before a deletion marker still makes (named as a parent there) is deleted by a
// marker of its own at the end.
void Hive::RemoveKeys(std::string_view root, std::string_view path, bool keepKey) {
    const std::string normal = NormalizeKeyPath(path);
    Entry *entry = FindEntry(root, normal);
    if (entry == nullptr)
        return;
    const std::string rootName = entry->key.root;
    const std::string spelled = entry->key.path;
    Edits edits;
    edits.drop.assign(lines_.size(), 0);
    std::size_t firstHeader = kNone;
    std::vector<Entry *> pending{entry};
    while (!pending.empty()) {
        Entry *next = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), next->children.begin(), next->children.end());
        for (const auto &[first, last] : next->valueLines)
            for (std::size_t i = first; i <= last; ++i)
                edits.drop[i] = 1;
        if (keepKey && next == entry)
            continue;
        for (std::size_t header : next->headers) {
            edits.drop[header] = 1;
            firstHeader = std::min(firstHeader, header);
        }
    }
    // The key that must stay: the key itself, or the parent of a removed key.
    const std::string stays = keepKey ? spelled : ParentPath(spelled);
    std::string original = text_;
    Commit(edits);
    if (!stays.empty() && firstHeader != kNone && FindEntry(rootName, stays) == nullptr) {
        Load(std::move(original));
        edits.replace[firstHeader] = Header(rootName, stays) + std::string(LineEnd(firstHeader));
        Commit(edits);
    }
    Edits markers;
    if (!keepKey) {
        if (FindEntry(rootName, normal) != nullptr)
            markers.append = "[-" + Header(rootName, spelled).substr(1) + eol_;
    } else {
        for (const std::string &child : Children(rootName, normal))
            markers.append += "[-" + Header(rootName, spelled + '\\' + child).substr(1) + eol_;
    }
    if (!markers.append.empty())
        Commit(markers);
}

}  // namespace platform
