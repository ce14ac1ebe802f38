#!/usr/bin/env bash
# The Windows leg of the tests: cross-builds with MinGW-w64 in build-win/,
# runs the whole suite under wine and the smoke test of the program.
# Skipped, with a message, when MinGW-w64, wine or the tools that make
# SQLite's amalgamation are not installed.
set -euo pipefail
cd "$(dirname "$0")/.."

wine64=$(command -v /usr/lib/wine/wine64 wine64 2>/dev/null | head -1 || true)
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [ -z "$wine64" ]; then
  echo "Windows leg skipped: MinGW-w64 (g++-mingw-w64-x86-64-posix) or wine (wine64) is not installed."
  exit 0
fi
if ! command -v dpkg-source >/dev/null || ! command -v tclsh >/dev/null || ! command -v make >/dev/null; then
  echo "Windows leg skipped: making SQLite for Windows needs dpkg-dev, tcl and make."
  exit 0
fi

jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -gt 2 ] && jobs=2  # the machines are shared
start=$(date +%s)
cmake --preset windows
cmake --build build-win -j "$jobs"

# Make the wine prefix once, before the tests run side by side.
prefix=$PWD/build-win/wineprefix
if [ ! -f "$prefix/system.reg" ]; then
  WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' WINEPREFIX=$prefix "$wine64" wineboot --init >/dev/null 2>&1 || true
  WINEPREFIX=$prefix "$(dirname "$wine64")/wineserver" -w 2>/dev/null || true
fi

ctest --test-dir build-win --output-on-failure --timeout 300 -j "$jobs"
scripts/smoke-win.sh build-win
echo "Windows leg took $(( $(date +%s) - start )) s."
