#!/usr/bin/env bash
# Makes sure the Debian packages a command needs are there: installs them
# when run as root, otherwise says what to install.
#   scripts/deps.sh run    what building and running the program needs
#   scripts/deps.sh test   that, the test and benchmark tools, and second the
#                          Windows cross-build's packages (when those cannot
#                          be installed this only says so, and the test
#                          command skips that leg)
set -euo pipefail
mode=${1:-test}

run_packages=(cmake ninja-build g++ libsqlite3-dev)
test_packages=(pkg-config libgtest-dev libgmock-dev libbenchmark-dev libncurses-dev tmux strace)
# MinGW-w64 and wine for the Windows leg; dpkg-dev, make and tcl make
# SQLite's amalgamation from Debian's source package.
windows_packages=(g++-mingw-w64-x86-64-posix wine64 dpkg-dev make tcl)

case $mode in
  run) packages=("${run_packages[@]}"); windows_packages=() ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing_of() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t windows_missing < <(missing_of "${windows_packages[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#windows_missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" -eq 0 ]; then
  apt-get update -qq || true
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  if [ ${#windows_missing[@]} -gt 0 ]; then
    echo "Installing for the Windows build: ${windows_missing[*]}"
    # With wine's recommended packages, as measured.
    if ! apt-get install -y -qq "${windows_missing[@]}"; then
      echo "Could not install ${windows_missing[*]}: the Windows leg of the tests will be skipped." >&2
    fi
  fi
else
  if [ ${#windows_missing[@]} -gt 0 ]; then
    echo "For the Windows build (skipped without them), install as root:" >&2
    echo "  apt-get install ${windows_missing[*]}" >&2
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    echo "These Debian packages are needed. Install them as root with:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi
