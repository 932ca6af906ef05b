// A stand-in speech engine for the viewer's tests: records every call, with its arguments,
// in the file named by FAKE_FLDTTS_LOG. Built once whole, and once as an older engine
// without FLD_Close and FLD_SetVoice.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::int32_t Log(const std::string &line) {
    if (const char *file = std::getenv("FAKE_FLDTTS_LOG"); file != nullptr && *file != '\0')
        std::ofstream(file, std::ios::app) << line << '\n';
    return 0;
}

}  // namespace

FAKE_EXPORT std::int32_t FLD_Init(std::int32_t value) {
    return Log("FLD_Init " + std::to_string(value));
}
FAKE_EXPORT std::int32_t FLD_SetTempo(std::int32_t tempo) {
    return Log("FLD_SetTempo " + std::to_string(tempo));
}
FAKE_EXPORT std::int32_t FLD_Stop() {
    return Log("FLD_Stop");
}
FAKE_EXPORT std::int32_t FLD_Write(std::int32_t mode, const char *text) {
    return Log("FLD_Write " + std::to_string(mode) + " " + text);
}
FAKE_EXPORT std::int32_t FLD_Play(std::int32_t mode) {
    return Log("FLD_Play " + std::to_string(mode));
}
#ifndef FAKE_WITHOUT_CLOSE
FAKE_EXPORT std::int32_t FLD_Close() {
    return Log("FLD_Close");
}
#endif
#ifndef FAKE_WITHOUT_SETVOICE
FAKE_EXPORT std::int32_t FLD_SetVoice(const char *name) {
    return Log(std::string("FLD_SetVoice ") + name);
}
#endif
