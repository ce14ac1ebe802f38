#!/usr/bin/env bash
# Counts the bytes the terminal backend sends for the sample screen of
# terminal_sample.h against a small ncurses program painting the same cells,
# both run in tmux (80 x 25) with tmux recording what each writes: the first
# paint, one changed cell at the cursor (a key typed into a field), one away
# from it (the page number) and the full repaint after the window grows to
# 100 x 30. The two screens must read the same after each.
# Usage: bench/terminal_bytes.sh [TERM ...]   (default: tmux-256color xterm-256color)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
terms=("$@")
[ ${#terms[@]} -gt 0 ] || terms=(tmux-256color xterm-256color)
command -v tmux >/dev/null || { echo "tmux is needed (scripts/deps.sh)" >&2; exit 1; }

build=$repo/build
[ -f "$build/build.ninja" ] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target platform >/dev/null
work=$(mktemp -d)
socket=terminal-bytes-$$
cleanup() { tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

g++ -std=c++20 -O2 -I"$repo/src" -I"$repo/bench" "$repo/bench/terminal_bytes_ours.cpp" \
  "$build/src/platform/libplatform.a" -o "$work/ours"
g++ -std=c++20 -O2 -I"$repo/bench" "$repo/bench/terminal_bytes_ncurses.cpp" \
  $(pkg-config --cflags --libs ncursesw) -o "$work/ncurses"

t() { tmux -L "$socket" "$@"; }
size() { stat -c %s "$work/out" 2>/dev/null || echo 0; }
# Until the recording has not grown for half a second.
settle() {
  local last=-1 same=0 now
  for _ in $(seq 1 100); do
    sleep 0.1
    now=$(size)
    if [ "$now" = "$last" ] && [ "$now" -gt 0 ]; then
      same=$((same + 1))
      [ $same -ge 5 ] && return 0
    else
      same=0
    fi
    last=$now
  done
}

# Runs one program under a TERM; prints the bytes of the three phases and
# keeps its screens after each.
measure() {
  local term=$1 name=$2
  t kill-server 2>/dev/null || true
  rm -f "$work/go" "$work/out"
  t -f /dev/null new-session -d -x 80 -y 25 \
    "while [ ! -e '$work/go' ]; do sleep 0.05; done; TERM=$term LANG=C.UTF-8 exec '$work/$name'"
  t pipe-pane -o -t 0 "cat > '$work/out'"
  sleep 0.2
  touch "$work/go"
  settle
  local first; first=$(size)
  t capture-pane -p -t 0 > "$work/$name.1"
  t send-keys -t 0 x
  settle
  local one=$(( $(size) - first ))
  t capture-pane -p -t 0 > "$work/$name.2"
  t send-keys -t 0 p
  settle
  local away=$(( $(size) - first - one ))
  t capture-pane -p -t 0 > "$work/$name.3"
  t resize-window -t 0 -x 100 -y 30
  settle
  local resize=$(( $(size) - first - one - away ))
  t capture-pane -p -t 0 > "$work/$name.4"
  t send-keys -t 0 q
  echo "$first $one $away $resize"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "Bytes sent, ours / ncurses = ratio:"
for term in "${terms[@]}"; do
  read -r o1 o2 o3 o4 < <(measure "$term" ours)
  read -r n1 n2 n3 n4 < <(measure "$term" ncurses)
  for phase in 1 2 3 4; do
    cmp -s "$work/ours.$phase" "$work/ncurses.$phase" || {
      echo "$term: the screens differ after phase $phase:" >&2
      diff "$work/ours.$phase" "$work/ncurses.$phase" >&2 || true
      exit 1
    }
  done
  printf '  %-15s first paint %5d / %5d = %s\n' "$term" "$o1" "$n1" "$(ratio "$o1" "$n1")"
  printf '  %-15s key typed   %5d / %5d = %s\n' "$term" "$o2" "$n2" "$(ratio "$o2" "$n2")"
  printf '  %-15s cell away   %5d / %5d = %s\n' "$term" "$o3" "$n3" "$(ratio "$o3" "$n3")"
  printf '  %-15s resize      %5d / %5d = %s\n' "$term" "$o4" "$n4" "$(ratio "$o4" "$n4")"
done
