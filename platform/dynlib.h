// Loading libraries by their Windows file name ("crypt.dll"), as the programs and
// libraries of this product name them; each platform maps the name to its own file.
#pragma once

#include <string>
#include <string_view>

namespace platform {

using LibHandle = void *;

// "X.dll" becomes this system's file name for the same library ("X.so" here, never
// with a "lib" prefix, so that a system library of the same stem is not picked up).
std::string NativeLibraryName(std::string_view windowsName);

// Loads a library by its Windows file name: first from the running program's folder,
// then through the system's usual search order. Null on failure (see LastErrorText).
LibHandle LoadLibraryByName(std::string_view windowsName);

// Loads the library file at exactly this path (a Windows name is mapped as above).
LibHandle LoadLibraryFromPath(const std::string &path);

// Address of an export, or null when the library does not export that name.
void *FindExport(LibHandle library, const char *name);

void FreeLibraryHandle(LibHandle library);

}  // namespace platform
