#!/usr/bin/env bash
# Makes sure the Debian packages the build and the tests need are there:
# installs them when run as root, otherwise says what to install.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libsqlite3-dev libncurses-dev tmux strace)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "These Debian packages are needed. Install them as root with:" >&2
  echo "  apt-get install ${missing[*]}" >&2
  exit 1
fi
