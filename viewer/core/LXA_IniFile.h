// A read-only INI file with the Windows profile rules: section and key names compared
// without regard to case, blanks around names and values dropped, then one pair of
// matching quotation marks around a value, the first section of a name and the first key
// of a name win, integers in decimal, 0x or $ hex. The file is a text the user edits:
// UTF-8 when it is valid UTF-8 (a byte-order mark ignored), else Windows-1252; names and
// values come out in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TLXAIniFile {
  public:
    // Reads the whole file; a missing or unreadable file reads as empty.
    explicit TLXAIniFile(const std::string &path);

    std::string ReadString(const std::string &section, const std::string &key,
                           const std::string &defaultValue) const;
    // Any text that is not a whole integer in range yields the default.
    std::int32_t ReadInteger(const std::string &section, const std::string &key,
                             std::int32_t defaultValue) const;
    // An integer read as a truth value: non-zero is true.
    bool ReadBool(const std::string &section, const std::string &key, bool defaultValue) const;

    // Every key line of the section in file order, repeated keys included.
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string &section) const;

  private:
    struct TSection {
        std::string Name;
        std::vector<std::pair<std::string, std::string>> Lines;
    };
    const TSection *FindSection(const std::string &section) const;

    std::vector<TSection> Sections;
};

// Decimal with an optional sign, or hexadecimal after 0x, 0X or $; false when not whole.
bool ParseIniInteger(const std::string &text, std::int32_t &value);
