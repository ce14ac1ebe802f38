#!/usr/bin/env bash
# Builds everything and runs every test: once in the normal build, once more
# under AddressSanitizer and UBSan, where any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEXPTYPES_TESTS=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DEXPTYPES_SANITIZE=ON -DEXPTYPES_TESTS=ON
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# Windows leg: the MinGW-w64 cross-build in build-win/, every test under
# wine, then the program itself under wine in tmux.
scripts/test-windows.sh
