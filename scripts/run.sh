#!/usr/bin/env bash
# Builds the program and starts it on the sample installation, copied once
# into a writable place so that the data entered persist between runs.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
"$repo/scripts/deps.sh" run

# Without the tests, whose tools running does not need.
cmake -S "$repo" -B "$repo/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEXPTYPES_TESTS=OFF >/dev/null
cmake --build "$repo/build" --target exptypes

place=${EXPTYPES_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/exptypes}
if [ ! -d "$place" ]; then
  mkdir -p "$(dirname "$place")"
  cp -R "$repo/install" "$place"
  echo "Sample installation copied to $place"
fi

cd "$place"
export JOBROOT="$place/"
export JOBTMP="$place/SESSIO"
exec "$repo/build/src/exptypes/exptypes" "$@"
