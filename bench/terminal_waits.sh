#!/usr/bin/env bash
# Times the key waits of the terminal backend on a pseudo-terminal: the
# delay of a lone Esc and of a lone ESC [, and which pauses inside a
# sequence still give one key (terminal_waits.cpp).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$repo/build
[ -f "$build/build.ninja" ] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target platform >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -pthread -I"$repo/src" "$repo/bench/terminal_waits.cpp" "$build/src/platform/libplatform.a" \
  -lutil -o "$work/waits"
"$work/waits"
