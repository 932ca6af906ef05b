#include "hive.h"

#include <cstdint>
#include <cstdio>
#include <unordered_map>

#include "cp1252.h"

namespace platform {

namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string UpperName(std::string_view name) {
    std::string upper(name);
    for (char &c : upper)
        c = static_cast<char>(Cp1252Upper(static_cast<unsigned char>(c)));
    return upper;
}

// Value positions of the key being read, so that a large file parses in linear time.
class ValueIndex {
  public:
    void Reset(const HiveKey *key) {
        positions_.clear();
        if (key != nullptr)
            for (std::size_t i = 0; i < key->values.size(); ++i)
                positions_[UpperName(key->values[i].name)] = i;
    }
    void Set(HiveKey &key, const std::string &name, RegType type, std::string data) {
        const auto [it, added] = positions_.try_emplace(UpperName(name), key.values.size());
        if (added) {
            key.values.push_back(HiveValue{name, type, std::move(data)});
        } else {
            key.values[it->second].type = type;
            key.values[it->second].data = std::move(data);
        }
    }

  private:
    std::unordered_map<std::string, std::size_t> positions_;
};

std::string ParentPath(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

// Files exported on Windows are often UTF-16LE with a byte-order mark.
std::string Utf16LeFileToUtf8(std::string_view text) {
    std::string out;
    for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
        char32_t code =
            static_cast<unsigned char>(text[i]) | (static_cast<unsigned char>(text[i + 1]) << 8);
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < text.size()) {
            const char32_t low = static_cast<unsigned char>(text[i + 2]) |
                                 (static_cast<unsigned char>(text[i + 3]) << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, code);
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

std::string Quote(std::string_view cp1252) {
    std::string out = "\"";
    for (char c : Cp1252ToUtf8(cp1252)) {
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
        if (c == ',' || c == ' ' || c == '\t' || c == '\\') {
            if (digits > 0)
                bytes += static_cast<char>(value);
            if (digits > 2)
                return false;
            digits = value = 0;
            continue;
        }
        const int d = HexDigit(c);
        if (d < 0)
            return false;
        value = value * 16 + d;
        ++digits;
    }
    if (digits > 2)
        return false;
    if (digits > 0)
        bytes += static_cast<char>(value);
    return true;
}

bool IsTextType(RegType type) {
    return type == RegType::String || type == RegType::ExpandString || type == RegType::MultiString;
}

// Text types are stored as UTF-16LE in version 5 files.
std::string Utf16LeToCp1252(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t code =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += static_cast<char>(UnicodeToCp1252(code));
    }
    return out;
}

std::string Cp1252ToUtf16Le(std::string_view text) {
    std::string out;
    for (char c : text) {
        const char32_t code = Cp1252ToUnicode(static_cast<unsigned char>(c));
        out += static_cast<char>(code & 0xFF);
        out += static_cast<char>(code >> 8);
    }
    return out;
}

bool ParseData(std::string_view data, bool unicodeFile, RegType &type, std::string &bytes) {
    if (!data.empty() && data.front() == '"') {
        std::size_t end = 0;
        std::string text;
        if (!ParseQuoted(data, 1, text, end) || !Trim(data.substr(end)).empty())
            return false;
        type = RegType::String;
        bytes = Utf8ToCp1252(text);
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
    std::size_t colon = data.find(':');
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
        if (unicodeFile)
            bytes = Utf16LeToCp1252(bytes);
        // One terminator belongs to the stored form, not to the text.
        if (type != RegType::MultiString && !bytes.empty() && bytes.back() == '\0')
            bytes.pop_back();
    }
    return true;
}

std::string HexList(std::string_view prefix, std::string_view bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out(prefix);
    std::size_t column = out.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (i > 0) {
            out += ',';
            ++column;
            if (column > 76) {
                out += "\\\n  ";
                column = 2;
            }
        }
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
        column += 2;
    }
    return out;
}

std::string FormatData(const HiveValue &value) {
    const auto number = static_cast<std::uint32_t>(value.type);
    if (value.type == RegType::String) {
        bool plain = true;
        for (char c : value.data)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                plain = false;
        if (plain)
            return Quote(value.data);
    }
    if (value.type == RegType::Dword && value.data.size() == 4) {
        char digits[16];
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(value.data[i]);
        std::snprintf(digits, sizeof digits, "dword:%08x", v);
        return digits;
    }
    std::string bytes = value.data;
    if (IsTextType(value.type)) {
        if (value.type != RegType::MultiString)
            bytes += '\0';
        bytes = Cp1252ToUtf16Le(bytes);
    }
    if (value.type == RegType::Binary)
        return HexList("hex:", bytes);
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", number);
    return HexList(prefix, bytes);
}

}  // namespace

std::string NormalizeKeyPath(std::string_view path) {
    std::string normal;
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t slash = path.find('\\', i);
        if (slash == std::string_view::npos)
            slash = path.size();
        if (slash > i) {
            if (!normal.empty())
                normal += '\\';
            normal.append(path.substr(i, slash - i));
        }
        i = slash + 1;
    }
    return normal;
}

Hive Hive::Parse(std::string_view text) {
    std::string converted;
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        converted = Utf16LeFileToUtf8(text);
        text = converted;
    } else if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    Hive hive;
    bool unicodeFile = true;
    HiveKey *current = nullptr;
    ValueIndex index;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = text.size();
        std::string line(Trim(text.substr(pos, eol - pos)));
        pos = eol + 1;
        // A hex list goes on over lines that end in a backslash.
        while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos &&
               pos < text.size()) {
            eol = text.find('\n', pos);
            if (eol == std::string_view::npos)
                eol = text.size();
            line.append(Trim(text.substr(pos, eol - pos)));
            pos = eol + 1;
        }
        if (line.empty() || line.front() == ';')
            continue;
        if (line == kHeader4) {
            unicodeFile = false;
            continue;
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
            const std::string name = Utf8ToCp1252(inner);
            const std::size_t slash = name.find('\\');
            const std::string root = name.substr(0, slash);
            const std::string path =
                NormalizeKeyPath(slash == std::string::npos ? "" : name.substr(slash + 1));
            if (root.empty())
                continue;
            if (remove) {
                hive.RemoveTree(root, path);
            } else {
                current = &hive.Create(root, path);
                index.Reset(current);
            }
            continue;
        }
        if (current == nullptr)
            continue;
        std::string name;
        std::size_t afterName = 0;
        if (line.front() == '@') {
            afterName = 1;
        } else if (line.front() == '"') {
            if (!ParseQuoted(line, 1, name, afterName))
                continue;
            name = Utf8ToCp1252(name);
        } else {
            continue;
        }
        const std::string_view rest = Trim(std::string_view(line).substr(afterName));
        if (rest.empty() || rest.front() != '=')
            continue;
        const std::string_view data = Trim(rest.substr(1));
        if (data == "-") {
            RemoveValue(*current, name);
            index.Reset(current);
            continue;
        }
        RegType type = RegType::None;
        std::string bytes;
        if (ParseData(data, unicodeFile, type, bytes))
            index.Set(*current, name, type, std::move(bytes));
    }
    return hive;
}

std::string Hive::Serialize() const {
    std::string out(kHeader5);
    out += "\n\n";
    for (const HiveKey &key : keys_) {
        out += '[';
        out += Cp1252ToUtf8(key.root);
        if (!key.path.empty()) {
            out += '\\';
            out += Cp1252ToUtf8(key.path);
        }
        out += "]\n";
        for (const HiveValue &value : key.values) {
            out += value.name.empty() ? std::string("@") : Quote(value.name);
            out += '=';
            out += FormatData(value);
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

HiveKey *Hive::Find(std::string_view root, std::string_view path) {
    for (HiveKey &key : keys_)
        if (EqualNoCase(key.path, path) && EqualNoCase(key.root, root))
            return &key;
    return nullptr;
}

const HiveKey *Hive::Find(std::string_view root, std::string_view path) const {
    return const_cast<Hive *>(this)->Find(root, path);
}

HiveKey &Hive::Create(std::string_view root, std::string_view path) {
    if (HiveKey *existing = Find(root, path))
        return *existing;
    if (!path.empty())
        Create(root, ParentPath(path));
    keys_.push_back(HiveKey{std::string(root), std::string(path), {}});
    return keys_.back();
}

std::vector<std::string> Hive::Children(std::string_view root, std::string_view path) const {
    std::vector<std::string> names;
    for (const HiveKey &key : keys_) {
        if (key.path.empty() || !EqualNoCase(key.root, root))
            continue;
        if (!EqualNoCase(ParentPath(key.path), path))
            continue;
        const std::size_t slash = key.path.rfind('\\');
        names.push_back(slash == std::string::npos ? key.path : key.path.substr(slash + 1));
    }
    return names;
}

void Hive::RemoveTree(std::string_view root, std::string_view path) {
    std::erase_if(keys_, [&](const HiveKey &key) {
        if (!EqualNoCase(key.root, root))
            return false;
        if (path.empty())
            return true;
        if (EqualNoCase(key.path, path))
            return true;
        return key.path.size() > path.size() && key.path[path.size()] == '\\' &&
               EqualNoCase(std::string_view(key.path).substr(0, path.size()), path);
    });
}

HiveValue *Hive::FindValue(HiveKey &key, std::string_view name) {
    for (HiveValue &value : key.values)
        if (EqualNoCase(value.name, name))
            return &value;
    return nullptr;
}

const HiveValue *Hive::FindValue(const HiveKey &key, std::string_view name) {
    for (const HiveValue &value : key.values)
        if (EqualNoCase(value.name, name))
            return &value;
    return nullptr;
}

void Hive::SetValue(HiveKey &key, std::string_view name, RegType type, std::string data) {
    if (HiveValue *value = FindValue(key, name)) {
        value->type = type;
        value->data = std::move(data);
        return;
    }
    key.values.push_back(HiveValue{std::string(name), type, std::move(data)});
}

bool Hive::RemoveValue(HiveKey &key, std::string_view name) {
    return std::erase_if(key.values,
                         [&](const HiveValue &value) { return EqualNoCase(value.name, name); }) > 0;
}

}  // namespace platform
