#include "WordFormTable.h"

#include <algorithm>
#include <fstream>

#include "WordFormRules.h"

namespace {

// A line of more than this is no line of a word table; reading stops short of any huge file.
constexpr std::size_t kMaxLine = 4096;
constexpr std::size_t kMaxFileBytes = 8 * 1024 * 1024;

bool ParseLine(std::string_view line, std::vector<std::string> &fields) {
    fields.clear();
    if (line.size() > kMaxLine)
        return false;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos)
            tab = line.size();
        std::string field = wordrules::NormaliseWord(line.substr(start, tab - start));
        if (!wordrules::LooksLikeWord(field))
            return false;
        fields.push_back(std::move(field));
        start = tab + 1;
    }
    return fields.size() >= 2;
}

}  // namespace

WordFormTable WordFormTable::Parse(std::string_view text) {
    WordFormTable table;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string> fields;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == text.size() ? end : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '#')
            continue;
        if (!ParseLine(line, fields)) {
            ++table.skipped_;
            continue;
        }
        const std::string &base = fields[0];
        for (std::size_t i = 1; i < fields.size(); ++i) {
            if (fields[i] == base)
                continue;  // "cut, cut, cut": a form that is its own base adds nothing
            std::vector<std::string> &bases = table.bases_[fields[i]];
            if (std::find(bases.begin(), bases.end(), base) == bases.end())
                bases.push_back(base);
        }
    }
    return table;
}

bool WordFormTable::LoadFile(const std::string &path) {
    *this = WordFormTable();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string text;
    char chunk[16384];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxFileBytes)
            return false;
    }
    if (in.bad())
        return false;
    *this = Parse(text);
    return true;
}

const std::vector<std::string> &WordFormTable::Bases(std::string_view form) const {
    static const std::vector<std::string> none;
    const auto it = bases_.find(form);
    return it == bases_.end() ? none : it->second;
}
