#include "BookWords.h"

#include <fstream>
#include <stdexcept>

#include "foldtable.h"
#include "platform/cp1252.h"

std::string FoldUtf8(std::string_view utf8) {
    std::string key;
    for (const char c : platform::Utf8ToCp1252(utf8))
        key += lexq_fold_table[static_cast<unsigned char>(c)];
    return key;
}

namespace {

std::ifstream Open(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return in;
}

std::string Trim(std::string_view s) {
    const std::size_t start = s.find_first_not_of(" \t\r");
    if (start == std::string_view::npos)
        return {};
    return std::string(s.substr(start, s.find_last_not_of(" \t\r") - start + 1));
}

}  // namespace

std::vector<std::string> SourceWords(const std::string &path) {
    std::ifstream in = Open(path);
    std::vector<std::string> words;
    for (std::string line; std::getline(in, line);) {
        for (const std::string_view tag : {"kw:", "key:"})
            if (line.compare(0, tag.size(), tag) == 0)
                words.push_back(Trim(std::string_view(line).substr(tag.size())));
    }
    return words;
}

std::vector<std::string> DictdWords(const std::string &path) {
    std::ifstream in = Open(path);
    std::vector<std::string> words;
    for (std::string line; std::getline(in, line);) {
        std::string word = line.substr(0, line.find('\t'));
        if (!word.empty() && word.rfind("00-database", 0) != 0 && word.rfind("00database", 0) != 0)
            words.push_back(std::move(word));
    }
    return words;
}

std::unordered_set<std::string> KeySet(const std::vector<std::string> &words) {
    std::unordered_set<std::string> keys;
    for (const std::string &word : words) {
        std::string key = FoldUtf8(word);
        if (!key.empty())
            keys.insert(std::move(key));
    }
    return keys;
}
