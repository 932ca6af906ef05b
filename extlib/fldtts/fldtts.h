/* fldtts: the speech engine. Speaks Windows-1252 text with a Dutch voice (or another
   language's, FLD_SetVoice), in the background; without a sound device it synthesises silently.
   Every entry point returns FLD_OK or an error code. Calls are made from one thread at a time. */
#ifndef FLDTTS_H
#define FLDTTS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The standard calling convention of 32-bit Windows; elsewhere the only one. */
#if defined(_WIN32) && !defined(_WIN64)
#define FLD_CALL __stdcall
#else
#define FLD_CALL
#endif

#if defined(_WIN32)
#define FLD_EXPORT
#else
#define FLD_EXPORT __attribute__((visibility("default")))
#endif

#define FLD_OK 0
#define FLD_ERR_NOTINITIALIZED 1 /* FLD_Init has not succeeded */
#define FLD_ERR_ENGINE 2         /* the synthesiser refused the call */
#define FLD_ERR_ARGUMENT 3       /* a null text or a value out of range */

/* FLD_Write modes: replace the pending text, or add to it. */
#define FLD_WRITE_APPEND 0
#define FLD_WRITE_REPLACE 1

/* Starts the synthesiser with the Dutch voice; options must be 0. Again after success: FLD_OK. */
FLD_EXPORT int32_t FLD_CALL FLD_Init(int32_t options);
/* Speaking speed from 1 (slowest) to 10 (fastest); 4 is a calm reading pace. */
FLD_EXPORT int32_t FLD_CALL FLD_SetTempo(int32_t tempo);
/* Cuts off whatever is still being spoken. */
FLD_EXPORT int32_t FLD_CALL FLD_Stop(void);
/* Sets (FLD_WRITE_REPLACE) or extends (FLD_WRITE_APPEND) the text for the next FLD_Play. */
FLD_EXPORT int32_t FLD_CALL FLD_Write(int32_t mode, const char *text);
/* Starts speaking the pending text and returns at once; mode must be 0. */
FLD_EXPORT int32_t FLD_CALL FLD_Play(int32_t mode);
/* Stops and shuts the synthesiser down; FLD_Init may start it again. */
FLD_EXPORT int32_t FLD_CALL FLD_Close(void);
/* Speaks from now on with the voice of a language ("nl", "de", "fr", "en": a book's
   "fluencyvoice"), cutting off what is being spoken. Once the synthesiser runs, a name it
   has no voice for gives
   FLD_ERR_ENGINE and the voice stays as it was; before, the name is checked at the first
   utterance and an unknown one leaves the Dutch voice. FLD_Init starts with "nl". */
FLD_EXPORT int32_t FLD_CALL FLD_SetVoice(const char *name);

#ifdef __cplusplus
}
#endif

#endif
