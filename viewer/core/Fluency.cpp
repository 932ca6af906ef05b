#include "viewer/core/Fluency.h"

#include "platform/lasterror.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_Paths.h"
#include "viewer/core/lexqapi.h"

namespace {

constexpr const char *kEngineFile = "fldtts.dll";
// What the engine expects in FLD_Init: no options.
constexpr std::int32_t kInitValue = 0;

using TFldInt = std::int32_t(LXA_STDCALL *)(std::int32_t);
using TFldVoid = std::int32_t(LXA_STDCALL *)();
using TFldWrite = std::int32_t(LXA_STDCALL *)(std::int32_t, const char *);
using TFldText = std::int32_t(LXA_STDCALL *)(const char *);

struct TFluencySlots {
    TFldInt Init = nullptr;
    TFldInt SetTempo = nullptr;
    TFldVoid Stop = nullptr;
    TFldWrite Write = nullptr;
    TFldInt Play = nullptr;
    TFldVoid Close = nullptr;
    TFldText SetVoice = nullptr;  // engines with one voice lack it
};

TFluencySlots Slots;

template <typename T>
T Bind(platform::LibHandle library, const char *name) {
    return reinterpret_cast<T>(platform::FindExport(library, name));
}

// The registered engine folder (a path, so UTF-8); empty when the key or value is missing.
// A value that is not a text raises, as the registry reader of the platform does.
std::string RegisteredFolder() {
    platform::RegKey key;
    if (platform::RegOpenKey(platform::RegRoot::LocalMachine, kFluencyRegistryKey,
                             platform::RegAccess::All, key,
                             platform::RegText::Utf8) != platform::kRegOk)
        return {};
    std::string folder;
    const long status = platform::RegGetString(key, kFluencyPathValue, folder);
    if (status == platform::kRegUnsupportedType)
        throw EGeneral("Invalid data type for 'Path'");
    return status == platform::kRegOk ? folder : std::string();
}

std::string BesideProgram() {
    return platform::IncludeTrailingDelimiter(ProgramFolder()) + kEngineFile;
}

platform::LibHandle LocateAndLoad() {
    // An empty folder gives the root folder, as it would name the current drive's root.
    const std::string folder = RegisteredFolder() + platform::kPathDelim;
    const std::string candidate = folder + kEngineFile;
    const std::string nativeCandidate = folder + platform::NativeLibraryName(kEngineFile);
    platform::LibHandle handle = platform::LoadLibraryFromPath(
        platform::FileExists(nativeCandidate) ? candidate : BesideProgram());
    if (handle != nullptr) {
        Slots.Init = Bind<TFldInt>(handle, "FLD_Init");
        Slots.SetTempo = Bind<TFldInt>(handle, "FLD_SetTempo");
        Slots.Stop = Bind<TFldVoid>(handle, "FLD_Stop");
        Slots.Write = Bind<TFldWrite>(handle, "FLD_Write");
        Slots.Play = Bind<TFldInt>(handle, "FLD_Play");
        Slots.Close = Bind<TFldVoid>(handle, "FLD_Close");
        Slots.SetVoice = Bind<TFldText>(handle, "FLD_SetVoice");
    }
    return handle;
}

}  // namespace

platform::LibHandle LoadFluency() {
    platform::LibHandle handle = nullptr;
    std::string whyNotLoaded;
    try {
        handle = LocateAndLoad();
        if (handle == nullptr)
            whyNotLoaded = platform::LastErrorText();
    } catch (...) {
        throw EGeneral("Kan Fluency API niet initialiseren!");
    }
    if (handle == nullptr)
        throw EGeneral(Format("Error loading '%s': %s", {std::string(kEngineFile), whyNotLoaded}));
    if (Slots.Init)
        Slots.Init(kInitValue);
    FluencySetTempo(4);
    return handle;
}

void UnloadFluency(platform::LibHandle &handle) {
    if (handle == nullptr)
        return;
    FluencyStop();
    if (Slots.Close)
        Slots.Close();
    platform::FreeLibraryHandle(handle);
    handle = nullptr;
    Slots = {};
}

std::int32_t FluencyStop() {
    return Slots.Stop ? Slots.Stop() : 1;
}

std::int32_t FluencyWrite(std::int32_t mode, const std::string &text) {
    return Slots.Write ? Slots.Write(mode, text.c_str()) : 1;
}

std::int32_t FluencyPlay(std::int32_t mode) {
    return Slots.Play ? Slots.Play(mode) : 1;
}

std::int32_t FluencySetTempo(std::int32_t value) {
    return Slots.SetTempo ? Slots.SetTempo(value) : 1;
}

std::int32_t FluencySetVoice(const std::string &voice) {
    return Slots.SetVoice ? Slots.SetVoice(voice.c_str()) : 1;
}
