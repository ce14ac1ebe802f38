#!/usr/bin/env bash
# Smoke test of the Windows build: exptypes.exe under wine, in a tmux window
# of 80 x 25, on a copy of the sample installation. It must start and end
# with exit code 0. Skips (exit 0, with a message) without wine or tmux.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build-win}" && pwd)
exe=$build/src/exptypes/exptypes.exe
wine64=$(command -v /usr/lib/wine/wine64 wine64 2>/dev/null | head -1 || true)
if [ -z "$wine64" ] || ! command -v tmux >/dev/null; then
  echo "Windows smoke test skipped: wine64 or tmux is missing."
  exit 0
fi
[ -x "$exe" ] || { echo "no $exe: build the Windows leg first" >&2; exit 1; }

work=$(mktemp -d)
socket=exptypes-smoke-$$
cleanup() { tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
cp -R "$repo/install" "$work/root"
# Wine shows the Unix file system as drive Z:.
root_win="Z:$(echo "$work/root/" | tr / '\\')"

cat > "$work/run.sh" <<RUN
#!/usr/bin/env bash
cd "$work/root"
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' WINEPREFIX="$build/wineprefix"
export JOBROOT='$root_win' JOBTMP='${root_win}SESSIO'
"$wine64" "$exe"
echo \$? > "$work/status"
RUN
chmod +x "$work/run.sh"

tmux -L "$socket" -f /dev/null new-session -d -x 80 -y 25 "$work/run.sh; sleep 60"
for _ in $(seq 1 300); do
  [ -s "$work/status" ] && break
  sleep 0.1
done
tmux -L "$socket" capture-pane -p > "$build/smoke-screen.txt" 2>/dev/null || true
if [ ! -s "$work/status" ]; then
  echo "Windows smoke test FAILED: exptypes.exe did not end within 30 s (screen in $build/smoke-screen.txt)" >&2
  exit 1
fi
code=$(cat "$work/status")
if [ "$code" != 0 ]; then
  echo "Windows smoke test FAILED: exptypes.exe ended with exit code $code" >&2
  exit 1
fi
# Nothing may be left behind in the installation.
if ! diff -r "$repo/install" "$work/root" >/dev/null; then
  echo "Windows smoke test FAILED: the run changed the installation:" >&2
  diff -r "$repo/install" "$work/root" >&2 || true
  exit 1
fi
echo "Windows smoke test passed: exptypes.exe under wine in tmux ended with exit code 0."
