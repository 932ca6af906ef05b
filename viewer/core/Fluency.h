// Run-time binding of the outside speech engine "fldtts.dll": finds it through the
// registry or beside the program, loads it, and wraps its entry points. Every wrapper
// returns 1 without calling when the engine lacks that entry point.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dynlib.h"

// Where the engine's folder is registered (under the local machine), and its value.
inline constexpr const char *kFluencyRegistryKey =
    "\\SOFTWARE\\Morvelt Deruzuvivado\\Brevado\\Fluency";
inline constexpr const char *kFluencyPathValue = "Path";

// Loads the engine, calls FLD_Init and sets the tempo to 4. Raises EGeneral with
// "Kan Fluency API niet initialiseren!" when the registry cannot be read as expected, or
// "Error loading 'fldtts.dll': <system text>" when the library does not load.
platform::LibHandle LoadFluency();
// Stops and closes the engine, releases it and sets the handle to null.
void UnloadFluency(platform::LibHandle &handle);

std::int32_t FluencyStop();
std::int32_t FluencyWrite(std::int32_t mode, const std::string &text);
std::int32_t FluencyPlay(std::int32_t mode);
std::int32_t FluencySetTempo(std::int32_t value);
// The voice of a language ("nl", "de", ...: a book's "fluencyvoice"); an engine without
// FLD_SetVoice keeps its one voice.
std::int32_t FluencySetVoice(const std::string &voice);
