#!/usr/bin/env bash
# Configures and builds into a build folder: scripts/build.sh [DIR] [extra cmake args]
# BUILD_TARGETS, when set, names the targets to build instead of all of them.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$here/build}"
shift || true
jobs="$(nproc 2>/dev/null || echo 2)"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
fi
if [ -n "${BUILD_TARGETS:-}" ]; then
  # shellcheck disable=SC2086
  cmake --build "$dir" -j"$jobs" --target $BUILD_TARGETS
else
  cmake --build "$dir" -j"$jobs"
fi
