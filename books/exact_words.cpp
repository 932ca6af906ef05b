#include "books/exact_words.h"

#include <fstream>

namespace books {

namespace {

constexpr std::string_view kFirstLine = "TAALKIST-EXACT 1";
// Thousands of such words are many; a larger file is not one of ours.
constexpr std::streamoff kMaxFileSize = 64 << 20;

void AppendEscaped(std::string &out, std::string_view field) {
    for (const char c : field) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            fields.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace

std::string ExactWordsPath(const std::string &indexPath) {
    const std::string_view ending = ".idx";
    std::string stem = indexPath;
    if (stem.size() >= ending.size() &&
        stem.compare(stem.size() - ending.size(), ending.size(), ending.data()) == 0)
        stem.resize(stem.size() - ending.size());
    return stem + std::string(kExactWordsEnding);
}

std::string ExactWordsText(const std::vector<ExactWord> &words) {
    std::string out(kFirstLine);
    out += '\n';
    for (const ExactWord &w : words) {
        for (const std::string *field : {&w.word, &w.entry.s1, &w.entry.s2, &w.entry.s3}) {
            AppendEscaped(out, *field);
            out += field == &w.entry.s3 ? '\n' : '\t';
        }
    }
    return out;
}

std::vector<ExactWord> ParseExactWords(std::string_view text) {
    std::vector<ExactWord> words;
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (first) {
            if (line != kFirstLine)
                return {};
            first = false;
            continue;
        }
        std::vector<std::string> fields = Fields(line);
        if (fields.size() != 4 || fields[0].empty() || fields[1].empty())
            continue;
        words.push_back({std::move(fields[0]),
                         {std::move(fields[1]), std::move(fields[2]), std::move(fields[3])}});
    }
    return words;
}

std::vector<ExactWord> ReadExactWords(const std::string &indexPath) {
    std::ifstream in(ExactWordsPath(indexPath), std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > kMaxFileSize)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(text.data(), size))
        return {};
    return ParseExactWords(text);
}

bool HoldsSigns(std::string_view cp1252) {
    for (const char c : cp1252) {
        const bool blank = c == ' ' || c == '\t' || c == '\xA0';
        if (!blank && FoldKey(std::string_view(&c, 1)).empty())
            return true;
    }
    return false;
}

}  // namespace books
