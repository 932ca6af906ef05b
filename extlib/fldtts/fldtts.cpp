// The speech engine over eSpeak NG: a Dutch voice, asynchronous playback, and silent
// synthesis when no sound device can be opened, so that a caller never hangs or fails.
#include "fldtts.h"

#include <espeak-ng/espeak_ng.h>

#include <cstring>
#include <string>

#include "platform/cp1252.h"

namespace {

struct TEngine {
    bool Initialised = false;  // FLD_Init succeeded
    bool Started = false;      // the synthesiser and its sound output are running
    int Rate = 0;              // words a minute for the synthesiser; 0 = its default
    std::string Voice = "nl";  // the language whose voice speaks
    std::string Pending;       // UTF-8
};

TEngine Engine;

// Samples of the silent mode go nowhere; 0 asks for more.
int DiscardSamples(short *, int, espeak_EVENT *) {
    return 0;
}

bool StartOutput() {
    if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SPEAK_AUDIO, 0, nullptr) == ENS_OK)
        return true;
    // No sound device: synthesise in the background all the same, and drop the samples.
    espeak_SetSynthCallback(DiscardSamples);
    return espeak_ng_InitializeOutput(static_cast<espeak_ng_OUTPUT_MODE>(0), 0, nullptr) == ENS_OK;
}

// Starts the synthesiser on first use: opening the sound output takes tens of
// milliseconds, which a program loading the engine at start-up should not wait for.
bool EnsureStarted() {
    if (Engine.Started)
        return true;
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    const espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status != ENS_OK)
        return false;
    // A voice the synthesiser does not have leaves the Dutch one.
    if (espeak_ng_SetVoiceByName(Engine.Voice.c_str()) != ENS_OK)
        Engine.Voice = "nl";
    if (!StartOutput() || espeak_ng_SetVoiceByName(Engine.Voice.c_str()) != ENS_OK ||
        (Engine.Rate != 0 && espeak_ng_SetParameter(espeakRATE, Engine.Rate, 0) != ENS_OK)) {
        espeak_ng_Terminate();
        return false;
    }
    Engine.Started = true;
    return true;
}

}  // namespace

extern "C" {

FLD_EXPORT int32_t FLD_CALL FLD_Init(int32_t options) {
    if (options != 0)
        return FLD_ERR_ARGUMENT;
    // The synthesiser itself starts with the first utterance (EnsureStarted).
    Engine.Initialised = true;
    Engine.Pending.clear();
    if (!Engine.Started)
        Engine.Voice = "nl";
    return FLD_OK;
}

FLD_EXPORT int32_t FLD_CALL FLD_SetTempo(int32_t tempo) {
    if (!Engine.Initialised)
        return FLD_ERR_NOTINITIALIZED;
    if (tempo < 1 || tempo > 10)
        return FLD_ERR_ARGUMENT;
    // 1 to 10 spread over the synthesiser's 80 to 450 words a minute; 4 gives about 176.
    Engine.Rate = espeakRATE_MINIMUM + (tempo - 1) * 32;
    if (!Engine.Started)
        return FLD_OK;
    return espeak_ng_SetParameter(espeakRATE, Engine.Rate, 0) == ENS_OK ? FLD_OK : FLD_ERR_ENGINE;
}

FLD_EXPORT int32_t FLD_CALL FLD_Stop(void) {
    if (!Engine.Initialised)
        return FLD_ERR_NOTINITIALIZED;
    if (!Engine.Started)
        return FLD_OK;  // nothing can be speaking yet
    return espeak_ng_Cancel() == ENS_OK ? FLD_OK : FLD_ERR_ENGINE;
}

FLD_EXPORT int32_t FLD_CALL FLD_Write(int32_t mode, const char *text) {
    if (!Engine.Initialised)
        return FLD_ERR_NOTINITIALIZED;
    if (text == nullptr || (mode != FLD_WRITE_APPEND && mode != FLD_WRITE_REPLACE))
        return FLD_ERR_ARGUMENT;
    if (mode == FLD_WRITE_REPLACE)
        Engine.Pending.clear();
    Engine.Pending += platform::Cp1252ToUtf8(text);
    return FLD_OK;
}

FLD_EXPORT int32_t FLD_CALL FLD_Play(int32_t mode) {
    if (!Engine.Initialised)
        return FLD_ERR_NOTINITIALIZED;
    if (mode != 0)
        return FLD_ERR_ARGUMENT;
    const std::string text = std::move(Engine.Pending);
    Engine.Pending.clear();
    if (text.empty())
        return FLD_OK;
    if (!EnsureStarted())
        return FLD_ERR_ENGINE;
    // Queued for the synthesiser's own thread: returns before the speech ends.
    const espeak_ng_STATUS status = espeak_ng_Synthesize(
        text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    return status == ENS_OK ? FLD_OK : FLD_ERR_ENGINE;
}

FLD_EXPORT int32_t FLD_CALL FLD_Close(void) {
    if (!Engine.Initialised)
        return FLD_ERR_NOTINITIALIZED;
    if (Engine.Started) {
        espeak_ng_Cancel();
        espeak_ng_Terminate();
    }
    Engine.Initialised = false;
    Engine.Started = false;
    Engine.Pending.clear();
    return FLD_OK;
}

FLD_EXPORT int32_t FLD_CALL FLD_SetVoice(const char *name) {
    if (!Engine.Initialised)
        return FLD_ERR_NOTINITIALIZED;
    if (name == nullptr || *name == '\0' || std::strlen(name) > 40)
        return FLD_ERR_ARGUMENT;
    if (!Engine.Started) {
        // Checked when the synthesiser starts, at the first utterance: a book switch must
        // not wait for the sound output.
        Engine.Voice = name;
        return FLD_OK;
    }
    // The synthesiser's thread reads the voice while it speaks: stop it first (the call
    // waits until it has stopped). A new voice means a new book; its words are not the
    // ones being spoken.
    espeak_ng_Cancel();
    if (espeak_ng_SetVoiceByName(name) != ENS_OK) {
        espeak_ng_SetVoiceByName(Engine.Voice.c_str());
        return FLD_ERR_ENGINE;
    }
    Engine.Voice = name;
    return FLD_OK;
}

}  // extern "C"
