// A stand-in search library for the window tests: opens any existing file, answers every
// search with that file's bytes as the table text (so a test rewrites the file to set the
// next answer), and records each searched text in the file named by UI_FAKE_LEXQ_LOG.
// UI_FAKE_LEXQ_STATUS forces the status of a search.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
bool g_open = false;
std::string g_path;
}  // namespace

FAKE_EXPORT std::int32_t lexq_init(const char *path) {
    if (g_open)
        return 0;
    if (!std::ifstream(path))
        return -2;
    g_open = true;
    g_path = path;
    return 0;
}

FAKE_EXPORT std::int32_t lexq_search(const char *text, char **result) {
    *result = nullptr;
    if (const char *log = std::getenv("UI_FAKE_LEXQ_LOG"); log != nullptr && *log != '\0')
        std::ofstream(log, std::ios::app) << '[' << text << "]\n";
    if (!g_open)
        return -1;
    if (const char *forced = std::getenv("UI_FAKE_LEXQ_STATUS"); forced != nullptr && *forced)
        return static_cast<std::int32_t>(std::strtol(forced, nullptr, 10));
    std::ostringstream table;
    table << std::ifstream(g_path, std::ios::binary).rdbuf();
    *result = ::strdup(table.str().c_str());
    return 0;
}

FAKE_EXPORT std::int32_t lexq_free_searchresult(char *table) {
    std::free(table);
    return 0;
}

FAKE_EXPORT std::int32_t lexq_deinit() {
    const bool wasOpen = g_open;
    g_open = false;
    return wasOpen ? 0 : -1;
}
