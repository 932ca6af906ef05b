// A silent stand-in speech engine for the window tests: every entry point succeeds and
// FLD_Write records its text in the file named by UI_FAKE_FLDTTS_LOG.
#include <cstdint>
#include <cstdlib>
#include <fstream>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT std::int32_t FLD_Init(std::int32_t) {
    return 0;
}
FAKE_EXPORT std::int32_t FLD_SetTempo(std::int32_t) {
    return 0;
}
FAKE_EXPORT std::int32_t FLD_Stop() {
    return 0;
}
FAKE_EXPORT std::int32_t FLD_Play(std::int32_t) {
    return 0;
}
FAKE_EXPORT std::int32_t FLD_Close() {
    return 0;
}
FAKE_EXPORT std::int32_t FLD_Write(std::int32_t, const char *text) {
    if (const char *log = std::getenv("UI_FAKE_FLDTTS_LOG"); log != nullptr && *log != '\0')
        std::ofstream(log, std::ios::app) << text << '\n';
    return 0;
}
