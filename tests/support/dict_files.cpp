#include "dict_files.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace books::test {

namespace {

void WriteGzip(const std::string &path, const std::string &bytes) {
    gzFile file = gzopen(path.c_str(), "wb");
    if (file == nullptr || gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size())) !=
                               static_cast<int>(bytes.size()))
        throw std::runtime_error("cannot write " + path);
    gzclose(file);
}

}  // namespace

std::string DictdNumber(std::size_t value) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value % 64]);
        value /= 64;
    } while (value > 0);
    return digits;
}

std::string BigEndian(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 8)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
    return bytes;
}

void WriteBytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FolderListing(const std::string &folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder, error))
        names.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string WriteDictd(const std::string &folder, const std::string &stem, const Entries &entries) {
    std::string text, index;
    for (const auto &[word, body] : entries) {
        index += word + "\t" + DictdNumber(text.size()) + "\t" + DictdNumber(body.size()) + "\n";
        text += body;
    }
    const std::string base = folder + "/" + stem;
    WriteBytes(base + ".index", index);
    WriteGzip(base + ".dict.dz", text);
    return base + ".index";
}

std::string WriteStardict(const std::string &folder, const std::string &stem,
                          const Entries &entries, const StardictOptions &options) {
    std::string dict, idx;
    std::map<std::string, std::size_t> written;  // text -> its offset
    for (const auto &[word, data] : entries) {
        const auto shared = written.find(data);
        const bool share = options.shareSameTexts && shared != written.end();
        const std::size_t offset = share ? shared->second : dict.size();
        idx += word + std::string(1, '\0') + BigEndian(static_cast<std::uint32_t>(offset)) +
               BigEndian(static_cast<std::uint32_t>(data.size()));
        if (!share) {
            written.emplace(data, offset);
            dict += data;
        }
    }
    const std::string base = folder + "/" + stem;
    std::string ifo = "StarDict's dict ifo file\nversion=2.4.2\nbookname=" + options.bookName +
                      "\nwordcount=" + std::to_string(entries.size()) +
                      "\nidxfilesize=" + std::to_string(idx.size()) + "\n";
    if (!options.sameTypeSequence.empty())
        ifo += "sametypesequence=" + options.sameTypeSequence + "\n";
    if (!options.synonyms.empty()) {
        std::string syn;
        for (const auto &[word, target] : options.synonyms)
            syn += word + std::string(1, '\0') + BigEndian(target);
        WriteBytes(base + ".syn", syn);
        ifo += "synwordcount=" + std::to_string(options.synonyms.size()) + "\n";
    }
    WriteBytes(base + ".ifo", ifo);
    if (options.gzipIndex)
        WriteGzip(base + ".idx.gz", idx);
    else
        WriteBytes(base + ".idx", idx);
    WriteGzip(base + ".dict.dz", dict);
    return base + ".ifo";
}

}  // namespace books::test
