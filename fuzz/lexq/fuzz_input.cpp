#include "fuzz_input.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "alloc.h"
#include "decipher.h"
#include "foldtable_utf8.h"
#include "inflate.h"
#include "lexqapi.h"
#include "platform/cp1252.h"

namespace {

// One in-memory file per process; every open through its /proc path starts at offset 0.
const std::string &FilePath(int &fd) {
    static std::string path;
    static int file = -1;
    if (file < 0) {
        file = ::memfd_create("lexq-fuzz", 0);
        if (file < 0)
            std::abort();
        path = "/proc/self/fd/" + std::to_string(file);
        lexq_seam_crypt_folder(LEXQ_FUZZ_CRYPT_DIR);
        // The seeds hold under 8 KiB once open. 256 KiB leaves room for every buffer to
        // grow a few steps; a header asking for more is refused as out of memory sooner
        // than by the library's own cap, and each run stays cheap (3x the runs per second
        // of a 1 MiB cap).
        lexq_seam_alloc_total_cap(std::size_t(256) << 10);
        // Every block the whole-buffer inflater takes is inflated by zlib again: the two
        // must agree on every input, or the statuses of the two builds would differ.
        lexq_seam_inflate_mode(LEXQ_INFLATE_CROSSCHECK);
        // Keep crypt.so mapped for good: libFuzzer reads its coverage counters after every
        // run, and the library's own unload at lexq_deinit would unmap them.
        ::dlopen(LEXQ_FUZZ_CRYPT_DIR "/crypt.so", RTLD_NOW | RTLD_NODELETE);
    }
    fd = file;
    return path;
}

// Words of the seed dictionaries, one absent word, one before and one after every key.
const char *const kWords[] = {"huis",   "boek",   "fiets", "house", "water",
                              "straße", "zzzzzz", "a",     "Café"};

void Search(const char *text) {
    char *table = nullptr;
    if (lexq_search(text, &table) == LEXQ_ERR_NONE) {
        // A table must be well formed: it is read by the viewer with string searches.
        if (std::strncmp(table, "<table>", 7) != 0)
            std::abort();
        lexq_free_searchresult(table);
    } else if (table != nullptr) {
        std::abort();  // a failed search must not hand out a text
    }
}

// The type-ahead of text: a table of rows, each of five cells.
void Prefix(const char *text) {
    char *table = nullptr;
    if (lexq_prefix(text, 12, &table) == LEXQ_ERR_NONE) {
        const std::size_t length = std::strlen(table);
        if (std::strncmp(table, "<table>", 7) != 0 || length < 15 ||
            std::strcmp(table + length - 8, "</table>") != 0)
            std::abort();
        lexq_free_searchresult(table);
    } else if (table != nullptr) {
        std::abort();
    }
}

// A bounded key walk in slices: every key must come after the one before it.
void WalkKeys() {
    std::string after;
    for (int slice = 0; slice < 64; ++slice) {
        char *list = nullptr;
        if (lexq_keys(after.c_str(), 16, &list) != LEXQ_ERR_NONE) {
            if (list != nullptr)
                std::abort();
            return;
        }
        for (const char *line = list; *line != '\0';) {
            const char *end = std::strchr(line, '\n');
            if (end == nullptr || end == line)
                std::abort();  // every key is a whole line
            std::string key(line, end);
            if (key <= after)
                std::abort();  // the walk never goes back
            after = std::move(key);
            line = end + 1;
        }
        lexq_free_searchresult(list);
    }
}

// Words of the UTF-8 seeds, in several scripts and spellings.
const char *const kUtf8Words[] = {"łódź",     "ŁÓDŹ", "lodz",     "żona",   "się",
                                  "Ελληνικά", "ёлка", "İstanbul", "straße", "x"};

// An answer of the UTF-8 exports: null on failure, else a text, which for a UTF-8 book must
// be UTF-8 (the viewer shows it as such) and, for a table, one.
std::string Utf8Answer(std::int32_t code, char *text, bool table) {
    if (code != LEXQ_ERR_NONE) {
        if (text != nullptr)
            std::abort();
        return "<" + std::to_string(code) + ">";
    }
    const std::string copy = text;
    lexq_free_text(text);
    if (!lexq_utf8_valid(copy.data(), copy.size()))
        std::abort();
    if (table && copy.compare(0, 7, "<table>") != 0)
        std::abort();
    return copy;
}

std::string SearchUtf8(const char *text) {
    char *table = nullptr;
    const std::int32_t code = lexq_search_utf8(text, &table);
    return Utf8Answer(code, table, true);
}

// A UTF-8 book through the UTF-8 exports; the Windows-1252 exports refuse it.
void RunUtf8Book(const char *tail) {
    for (const char *word : kUtf8Words)
        SearchUtf8(word);
    SearchUtf8(tail);
    char *text = nullptr;
    for (const char *prefix : {"ł", "zo", tail}) {
        const std::int32_t code = lexq_prefix_utf8(prefix, 12, &text);
        Utf8Answer(code, text, true);
    }
    std::string after;
    for (int slice = 0; slice < 64; ++slice) {
        text = nullptr;
        const std::int32_t code = lexq_keys_utf8(after.c_str(), 16, &text);
        if (code != LEXQ_ERR_NONE) {
            Utf8Answer(code, text, false);
            break;
        }
        const std::string list = Utf8Answer(code, text, false);
        for (std::size_t line = 0; line < list.size();) {
            const std::size_t end = list.find('\n', line);
            if (end == std::string::npos || end == line)
                std::abort();
            std::string key = list.substr(line, end - line);
            if (key <= after)
                std::abort();
            after = std::move(key);
            line = end + 1;
        }
    }
    if (lexq_search("lodz", &text) != LEXQ_ERR_WRONGFORMAT || text != nullptr)
        std::abort();
}

// A Windows-1252 book answers the UTF-8 search as the four do, converted. Out of memory is
// no answer to compare: under the harness's cap it depends on what the first search left in
// the caches (a failed search may still have cached the blocks it read).
void CrossCheckUtf8(const char *word) {
    char *table = nullptr;
    const std::int32_t code = lexq_search(word, &table);
    const std::string old =
        code == LEXQ_ERR_NONE ? platform::Cp1252ToUtf8(table) : "<" + std::to_string(code) + ">";
    lexq_free_searchresult(table);
    const std::string utf8 = SearchUtf8(platform::Cp1252ToUtf8(word).c_str());
    const std::string out_of_memory = "<" + std::to_string(LEXQ_ERR_NOMEMORY) + ">";
    if (utf8 != old && utf8 != out_of_memory && old != out_of_memory)
        std::abort();
}

}  // namespace

void RunDictionaryFile(const std::uint8_t *data, std::size_t size) {
    int fd = -1;
    const std::string &path = FilePath(fd);
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    if (lexq_init(path.c_str()) != LEXQ_ERR_NONE)
        return;
    // A word the fuzzer can steer: the last bytes of the input.
    char tail[17] = {};
    const std::size_t n = size < 16 ? size : 16;
    if (n > 0)
        std::memcpy(tail, data + size - n, n);
    if (lexq_code_page() == 65001) {
        RunUtf8Book(tail);
        lexq_deinit();
        if (lexq_seam_inflate_mismatches() != 0)
            std::abort();
        return;
    }
    for (const char *word : kWords)
        Search(word);
    Search(tail);
    CrossCheckUtf8(kWords[0]);
    CrossCheckUtf8(tail);
    Search(kWords[0]);  // again, now from the caches
    for (const char *prefix : {"h", "bo", "z"})
        Prefix(prefix);
    Prefix(tail);
    WalkKeys();
    lexq_deinit();
    if (lexq_seam_inflate_mismatches() != 0)
        std::abort();
}
