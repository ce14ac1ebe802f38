#!/usr/bin/env bash
# Smoke tests of the Windows build under wine, in a tmux window of 80 x 25:
#  - the console backend: win32_console_probe paints the characters that
#    need the wide calls, keeps the Insert toggle in the keyboard state and
#    shows the key event texts of the keys typed;
#  - keyprobe.exe shows the key event texts, control-key states and key
#    codes of the keys typed and ends on Ctrl+D;
#  - exptypes.exe on a copy of the sample installation starts and ends with
#    exit code 0, leaving the installation as it was.
# Skips (exit 0, with a message) without wine or tmux.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build-win}" && pwd)
exe=$build/src/exptypes/exptypes.exe
probe=$build/tests/platform/win32_console_probe.exe
keyprobe=$build/tools/keyprobe.exe
wine64=$(command -v /usr/lib/wine/wine64 wine64 2>/dev/null | head -1 || true)
if [ -z "$wine64" ] || ! command -v tmux >/dev/null; then
  echo "Windows smoke test skipped: wine64 or tmux is missing."
  exit 0
fi
for f in "$exe" "$probe" "$keyprobe"; do
  [ -f "$f" ] || { echo "no $f: build the Windows leg first" >&2; exit 1; }
done

work=$(mktemp -d)
socket=exptypes-smoke-$$
cleanup() { tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "Windows smoke test FAILED: $*" >&2; exit 1; }

# Starts a Windows program in a fresh tmux window; its exit code lands in
# $work/status.
start() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -f "$work/status"
  {
    echo '#!/usr/bin/env bash'
    echo "cd '$work'"
    echo "export LANG=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' WINEPREFIX='$build/wineprefix'"
    printf '%q ' "$@"
    echo
    echo "echo \$? > '$work/status'"
  } > "$work/run.sh"
  chmod +x "$work/run.sh"
  tmux -L "$socket" -f /dev/null new-session -d -x 80 -y 25 "$work/run.sh; sleep 60"
}
screen() { tmux -L "$socket" capture-pane -p; }
wait_for() {  # text on the screen, within 30 s
  for _ in $(seq 1 300); do
    screen | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  screen > "$build/smoke-screen.txt"
  return 1
}
wait_end() {
  for _ in $(seq 1 300); do
    [ -s "$work/status" ] && { cat "$work/status"; return 0; }
    sleep 0.1
  done
  screen > "$build/smoke-screen.txt"
  echo timeout
}

# The console backend.
keys=(C-c BTab é M-e F1 a Escape)
start "$wine64" "$probe" "${#keys[@]}"
wait_for ready || fail "the console probe did not start (screen in $build/smoke-screen.txt)"
for k in "${keys[@]}"; do
  tmux -L "$socket" send-keys "$k"
  sleep 0.3
done
expected='03 /8; 00 0F /16; 82 /0; 00 12 /2; 00 3B /0; 61 /0; 1B /0;  done'
wait_for "$expected" || fail "keys gave '$(screen | sed -n 4p)', not '$expected'"
screen | sed -n 2p | grep -qxF '  Añ€►◄ Ok' || fail "row 2 shows '$(screen | sed -n 2p)'"
screen | sed -n 25p | grep -q 'Z$' || fail "the bottom right cell is not painted"
screen | sed -n 3p | grep -qxF 'insert kept, ready' || fail "row 3 shows '$(screen | sed -n 3p)'"
[ "$(wait_end)" = 0 ] || fail "the console probe did not end with exit code 0"

# The key probe.
start "$wine64" "$keyprobe"
wait_for "Ctrl+D ends" || fail "keyprobe.exe did not start (screen in $build/smoke-screen.txt)"
for k in a F1 C-h; do
  tmux -L "$socket" send-keys "$k"
  sleep 0.3
done
# Each line: the event's text, its control-key state and the key code read.
for line in '   1  61            0000   0061' '   2  00 3B         0000   3B00' '   3  08            0008   0008  LeftCtrl'; do
  wait_for "$line" || fail "keyprobe.exe does not show '$line' (screen in $build/smoke-screen.txt)"
done
tmux -L "$socket" send-keys C-d
[ "$(wait_end)" = 0 ] || fail "keyprobe.exe did not end with exit code 0 on Ctrl+D"

# The program.
cp -R "$repo/install" "$work/root"
root_win="Z:$(echo "$work/root/" | tr / '\\')"  # wine shows the Unix file system as Z:
start env "JOBROOT=$root_win" "JOBTMP=${root_win}SESSIO" "$wine64" "$exe"
code=$(wait_end)
[ "$code" = 0 ] || fail "exptypes.exe ended with '$code', not exit code 0 (screen in $build/smoke-screen.txt)"
diff -r "$repo/install" "$work/root" >/dev/null || fail "the run changed the installation"
echo "Windows smoke test passed: the console backend and keyprobe.exe under wine in tmux, and exptypes.exe ending with exit code 0."
