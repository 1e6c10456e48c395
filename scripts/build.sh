#!/usr/bin/env bash
# Configures and builds into a build folder: scripts/build.sh [DIR] [extra cmake args]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$here/build}"
shift || true
jobs="$(nproc 2>/dev/null || echo 2)"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
fi
cmake --build "$dir" -j"$jobs"
