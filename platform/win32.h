// <windows.h> for the Windows backends and Windows-only tests, without the macros of
// winreg.h that would rename this layer's registry functions of the same names
// (RegOpenKey -> RegOpenKeyW, ...).
#pragma once

#include <windows.h>

#undef RegOpenKey
#undef RegCreateKey
#undef RegQueryValue
#undef RegSetValue
#undef RegEnumValue
#undef RegDeleteValue
#undef RegDeleteKey
#undef RegDeleteTree
#undef RegGetValue
