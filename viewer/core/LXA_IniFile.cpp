#include "viewer/core/LXA_IniFile.h"

#include <fstream>
#include <iterator>
#include <limits>

#include "platform/encoding.h"

namespace {

std::string Trim(const std::string &text) {
    const char *blanks = " \t\r\n\f\v";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The Windows reader drops one pair of matching quotation marks around a value.
std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

}  // namespace

bool ParseIniInteger(const std::string &text, std::int32_t &value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return false;
    std::int64_t magnitude = 0;
    // Hexadecimal may fill all 32 bits ($FFFFFFFF is -1); decimal must fit the signed range.
    const std::int64_t limit = base == 16 ? 0xFFFFFFFFll : 0x80000000ll;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit >= base)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    if (base == 10 && !negative && magnitude > std::numeric_limits<std::int32_t>::max())
        return false;
    const auto bits = static_cast<std::uint32_t>(magnitude);
    value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
    return true;
}

TLXAIniFile::TLXAIniFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    const std::string whole = platform::UserTextToUtf8(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    TSection *current = nullptr;
    // Lines end in LF, CR LF or a lone CR (as old editors save), so that no name or value
    // ever holds a line break.
    for (std::size_t begin = 0; begin < whole.size();) {
        std::size_t end = whole.find_first_of("\r\n", begin);
        if (end == std::string::npos)
            end = whole.size();
        const std::string line = whole.substr(begin, end - begin);
        begin = end + (whole.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        const std::string text = Trim(line);
        if (text.empty() || text[0] == ';')
            continue;
        if (text[0] == '[') {
            const std::size_t close = text.find(']');
            const std::string name =
                Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            Sections.push_back({name, {}});
            current = &Sections.back();
            continue;
        }
        const std::size_t equals = text.find('=');
        if (current == nullptr || equals == std::string::npos)
            continue;
        current->Lines.emplace_back(Trim(text.substr(0, equals)),
                                    Unquote(Trim(text.substr(equals + 1))));
    }
}

const TLXAIniFile::TSection *TLXAIniFile::FindSection(const std::string &section) const {
    for (const TSection &candidate : Sections)
        if (platform::EqualNoCaseUtf8(candidate.Name, section))
            return &candidate;
    return nullptr;
}

std::string TLXAIniFile::ReadString(const std::string &section, const std::string &key,
                                    const std::string &defaultValue) const {
    if (const TSection *found = FindSection(section))
        for (const auto &[name, value] : found->Lines)
            if (platform::EqualNoCaseUtf8(name, key))
                return value;
    return defaultValue;
}

std::int32_t TLXAIniFile::ReadInteger(const std::string &section, const std::string &key,
                                      std::int32_t defaultValue) const {
    std::int32_t value = 0;
    return ParseIniInteger(ReadString(section, key, ""), value) ? value : defaultValue;
}

bool TLXAIniFile::ReadBool(const std::string &section, const std::string &key,
                           bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::pair<std::string, std::string>> TLXAIniFile::ReadSection(
    const std::string &section) const {
    const TSection *found = FindSection(section);
    return found ? found->Lines : std::vector<std::pair<std::string, std::string>>{};
}
