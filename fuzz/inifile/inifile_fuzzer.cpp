// libFuzzer target: a dict.cfg or .def file as the viewer's INI reader reads it. Input: the
// file.
//
// Properties: no name or value holds a line break, and each is valid UTF-8 without blanks
// around it; a key's value is the one its section lists first for that name; an integer is
// read exactly when its value is a whole integer.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/encoding.h"
#include "viewer/core/LXA_IniFile.h"

namespace {

// The sections and keys the program asks for.
const char *const kAsked[] = {"dictionaries",
                              "dictionary",
                              "application",
                              "version",
                              "compldictionary",
                              "fluency",
                              "fluencyfld",
                              "fluencyvoice",
                              "stylesheet",
                              "regkey",
                              ""};

// Names the file may hold: the text of each line up to "]" or "=", so that sections and
// keys of the file itself are asked as well. At most 24, each asked of every section.
std::vector<std::string> NamesIn(std::string_view input) {
    std::vector<std::string> names(std::begin(kAsked), std::end(kAsked));
    const std::string text = platform::UserTextToUtf8(input);
    std::string_view rest = text;
    while (!rest.empty() && names.size() < 24) {
        const std::size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.starts_with('['))
            line.remove_prefix(1);
        line = line.substr(0, line.find_first_of("]="));
        if (!line.empty() && line.size() < 64)
            names.emplace_back(line);
        // The reader drops blanks around names; ask in that form as well.
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos && first > 0)
            names.emplace_back(line.substr(first));
    }
    return names;
}

bool Clean(const std::string &text) {
    const bool blankEnds =
        !text.empty() && (std::string(" \t").find(text.front()) != std::string::npos ||
                          std::string(" \t").find(text.back()) != std::string::npos);
    return text.find_first_of("\r\n") == std::string::npos && platform::IsUtf8(text) && !blankEnds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static fuzz::MemoryFile file("inifile");
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const TLXAIniFile ini(file.Write(input));
    const std::vector<std::string> names = NamesIn(input);
    for (const std::string &section : names) {
        const auto lines = ini.ReadSection(section);
        for (const auto &[name, value] : lines) {
            fuzz::Check(Clean(name), "a key name with a line break, bad UTF-8 or blank ends");
            // A value keeps blanks that stood inside its quotation marks.
            fuzz::Check(value.find_first_of("\r\n") == std::string::npos,
                        "a value with a line break");
            fuzz::Check(platform::IsUtf8(value), "a value that is not UTF-8");
        }
        for (const std::string &key : names) {
            const std::string *first = nullptr;
            for (const auto &[name, value] : lines)
                if (first == nullptr && platform::EqualNoCaseUtf8(name, key))
                    first = &value;
            const std::string read = ini.ReadString(section, key, "\x01");
            fuzz::Check(read == (first != nullptr ? *first : std::string("\x01")),
                        "ReadString differs from the section's first line of the key");
            std::int32_t parsed = 0;
            const bool whole = first != nullptr && ParseIniInteger(*first, parsed);
            fuzz::Check(ini.ReadInteger(section, key, -7) == (whole ? parsed : -7),
                        "ReadInteger differs from the key's value");
        }
    }
    return 0;
}
