// A stand-in search library for the viewer's tests: records every call in the file named
// by FAKE_LEXQ_LOG, opens any existing file, and answers a search with that file's bytes
// as the table text. FAKE_LEXQ_INIT_STATUS and FAKE_LEXQ_SEARCH_STATUS force a status.
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

void Log(const std::string &line) {
    if (const char *file = std::getenv("FAKE_LEXQ_LOG"); file != nullptr && *file != '\0')
        std::ofstream(file, std::ios::app) << line << '\n';
}

bool Forced(const char *variable, std::int32_t &status) {
    const char *value = std::getenv(variable);
    if (value == nullptr || *value == '\0')
        return false;
    status = static_cast<std::int32_t>(std::strtol(value, nullptr, 10));
    return true;
}

}  // namespace

FAKE_EXPORT std::int32_t lexq_init(const char *path) {
    Log(std::string("init ") + path);
    if (g_open)
        return 0;
    std::int32_t status = 0;
    if (Forced("FAKE_LEXQ_INIT_STATUS", status))
        return status;
    if (!std::ifstream(path))
        return -2;
    g_open = true;
    g_path = path;
    return 0;
}

FAKE_EXPORT std::int32_t lexq_search(const char *text, char **result) {
    Log(std::string("search ") + text);
    *result = nullptr;
    if (!g_open)
        return -1;
    std::int32_t status = 0;
    if (Forced("FAKE_LEXQ_SEARCH_STATUS", status))
        return status;
    std::ostringstream table;
    table << std::ifstream(g_path, std::ios::binary).rdbuf();
    *result = ::strdup(table.str().c_str());
    return 0;
}

FAKE_EXPORT std::int32_t lexq_free_searchresult(char *table) {
    Log("free");
    std::free(table);
    return g_open ? 0 : -1;
}

FAKE_EXPORT std::int32_t lexq_deinit() {
    Log("deinit");
    const bool wasOpen = g_open;
    g_open = false;
    return wasOpen ? 0 : -1;
}
