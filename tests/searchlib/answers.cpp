// lexq_answers OUTPUT DICTIONARY...: loads lexqapi.dll from its own folder, as the viewer
// does, and writes to OUTPUT what the library answers for a spread of words of each
// dictionary: every key's neighbourhood is sampled (the key itself, in lower case, cut
// short, and with a letter and an accented letter added), and a type-ahead list for its
// first letters. Built for two systems, the outputs must be the same byte for byte.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "lexqapi.h"
#include "platform/dynlib.h"
#include "platform/paths.h"

namespace {

struct Library {
    decltype(&lexq_init) init = nullptr;
    decltype(&lexq_search) search = nullptr;
    decltype(&lexq_free_searchresult) release = nullptr;
    decltype(&lexq_deinit) deinit = nullptr;
    decltype(&lexq_prefix) prefix = nullptr;
    decltype(&lexq_keys) keys = nullptr;
};

template <typename T>
void Bind(platform::LibHandle library, const char *name, T &to) {
    to = reinterpret_cast<T>(platform::FindExport(library, name));
}

std::string Taken(const Library &lib, int32_t code, char *text) {
    std::string out = std::to_string(code) + " " + (text != nullptr ? text : "") + "\n";
    lib.release(text);
    return out;
}

// Every key of the open dictionary, in key order.
std::vector<std::string> AllKeys(const Library &lib) {
    std::vector<std::string> keys;
    std::string after;
    for (;;) {
        char *slice = nullptr;
        if (lib.keys(after.c_str(), 2000, &slice) != LEXQ_ERR_NONE)
            break;
        const std::string text = slice;
        lib.release(slice);
        for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1)
            keys.push_back(text.substr(start, end - start));
        if (keys.empty() || keys.back() == after)
            break;
        after = keys.back();
    }
    return keys;
}

std::string Answers(const Library &lib, const std::string &dictionary) {
    std::string out = "dictionary " + dictionary.substr(dictionary.find_last_of("/\\") + 1) + "\n";
    const int32_t opened = lib.init(dictionary.c_str());
    out += "init " + std::to_string(opened) + "\n";
    if (opened != LEXQ_ERR_NONE)
        return out;
    const std::vector<std::string> keys = AllKeys(lib);
    out += "keys " + std::to_string(keys.size()) + "\n";
    const std::size_t step = keys.size() / 150 + 1;
    for (std::size_t i = 0; i < keys.size(); i += step) {
        const std::string &key = keys[i];
        std::string lower = key;
        for (char &c : lower)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        for (const std::string &word :
             {key, lower, lower.substr(0, lower.size() / 2 + 1), lower + "e", lower + "\xE9"}) {
            char *table = nullptr;
            const int32_t code = lib.search(word.c_str(), &table);
            out += "search " + word + "\n" + Taken(lib, code, table);
        }
        char *list = nullptr;
        const std::string start = lower.substr(0, 3);
        const int32_t code = lib.prefix(start.c_str(), 8, &list);
        out += "prefix " + start + "\n" + Taken(lib, code, list);
    }
    lib.deinit();
    return out;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: lexq_answers OUTPUT DICTIONARY...\n");
        return 2;
    }
    const platform::LibHandle handle =
        platform::LoadLibraryFromPath(platform::ProgramDir() + "/lexqapi.dll");
    Library lib;
    Bind(handle, "lexq_init", lib.init);
    Bind(handle, "lexq_search", lib.search);
    Bind(handle, "lexq_free_searchresult", lib.release);
    Bind(handle, "lexq_deinit", lib.deinit);
    Bind(handle, "lexq_prefix", lib.prefix);
    Bind(handle, "lexq_keys", lib.keys);
    if (!lib.init || !lib.search || !lib.release || !lib.deinit || !lib.prefix || !lib.keys) {
        std::fprintf(stderr, "lexq_answers: no lexqapi library beside the program\n");
        return 3;
    }
    // Binary: the bytes as the library gives them, on every system.
    std::FILE *output = std::fopen(argv[1], "wb");
    if (output == nullptr)
        return 4;
    for (int i = 2; i < argc; ++i) {
        const std::string text = Answers(lib, argv[i]);
        std::fwrite(text.data(), 1, text.size(), output);
    }
    const bool written = std::fclose(output) == 0;
    platform::FreeLibraryHandle(handle);
    return written ? 0 : 4;
}
