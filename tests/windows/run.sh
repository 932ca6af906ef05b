#!/usr/bin/env bash
# The Windows stage of ./dev test: lexqapi.dll, crypt.dll and setup.dll cross-built with
# mingw-w64, their export tables checked for 64 and 32 bits, and their tests run under
# Wine (64 bits). Skipped, with one line saying why, where mingw-w64 or Wine is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
for program in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix wine; do
  command -v "$program" >/dev/null || missing+=("$program")
done
[ -f /usr/x86_64-w64-mingw32/lib/libz.a ] || missing+=("zlib for mingw-w64")
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=("GoogleTest's sources")
if [ ${#missing[@]} -gt 0 ]; then
  echo "Windows stage skipped: ${missing[*]} not installed (./dev test installs them on Debian)."
  exit 0
fi

cmake --workflow --preset windows-i686
cmake --workflow --preset windows-test
# Wine's server lingers a few seconds after the last program; nothing is left behind.
WINEPREFIX="$PWD/build/windows-test/wine" wineserver -k 2>/dev/null || true
