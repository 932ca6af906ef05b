// A table of irregular forms (lopen: liep, liepen, gelopen), read from a data file.
//
// The file is UTF-8 text, one base form per line followed by its forms, separated by tabs:
//     lopen<TAB>liep<TAB>liepen<TAB>gelopen
// Lines starting with '#' and blank lines are ignored. A line without a form, with an empty
// field, a field that is not a word, or invalid UTF-8 is skipped and counted; nothing else
// in the file is lost by it. A form may belong to several bases: the line that comes first
// in the file comes first among its bases.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class WordFormTable {
  public:
    // Reads the table from text; bad lines are skipped (see SkippedLines).
    static WordFormTable Parse(std::string_view text);
    // Reads the file at path (UTF-8). False when the file cannot be read; the table is then
    // empty.
    bool LoadFile(const std::string &path);

    // The bases of a normalised form, in file order; empty when the form is unknown.
    const std::vector<std::string> &Bases(std::string_view form) const;

    std::size_t FormCount() const { return bases_.size(); }
    std::size_t SkippedLines() const { return skipped_; }

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, std::vector<std::string>, Hash, std::equal_to<>> bases_;
    std::size_t skipped_ = 0;
};
