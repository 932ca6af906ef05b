// Calling convention and export marking of functions that other programs call by name.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define TK_STDCALL __stdcall
#else
#define TK_STDCALL
#endif

#if defined(_WIN32)
#define TK_EXPORT __declspec(dllexport)
#else
#define TK_EXPORT __attribute__((visibility("default")))
#endif
