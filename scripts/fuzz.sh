#!/usr/bin/env bash
# Fuzzes a file reader with libFuzzer for SECONDS (default 60).
#   scripts/fuzz.sh [SECONDS] [winhelp|access]
# winhelp (the default): the WinHelp reader; access: the reading of old Access
# courses by `etextbook-db import`.
# Builds with clang in its own folder (ETEXTBOOK_FUZZ_BUILD, default build-fuzz in
# the work tree, which git ignores; a folder outside it could hold another
# checkout's build), seeds the corpus with files from our writers (and Halibut),
# and exits non-zero when the fuzzer finds a crash, a leak or a hang.
set -euo pipefail
seconds="${1:-60}"
target="${2:-winhelp}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ETEXTBOOK_FUZZ_BUILD:-$root/build-fuzz}"

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ "$target" = access ]; then
  cmake --build "$build" --target fuzz_access fuzz_access_seeds -j2
  corpus="$build/corpus-access"
  artifacts="$build/artifacts-access"
  mkdir -p "$corpus" "$artifacts"
  "$build/fuzz_access_seeds" "$corpus"
  # Files of a real course are tens of kilobytes: the table pages must fit. A
  # run takes milliseconds of processor time but may wait long on a busy machine,
  # hence the generous time limit per input.
  exec "$build/fuzz_access" "$corpus" -max_total_time="$seconds" -max_len=131072 -timeout=30 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/" -print_final_stats=1
fi
[ "$target" = winhelp ] || { echo "fuzz.sh: unknown target $target (winhelp or access)" >&2; exit 2; }
cmake --build "$build" --target fuzz_winhelp fuzz_winhelp_seeds -j2

corpus="$build/corpus"
artifacts="$build/artifacts"
mkdir -p "$corpus" "$artifacts"
"$build/fuzz_winhelp_seeds" "$corpus"
if command -v halibut >/dev/null; then
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && halibut --winhelp=halibut-sample.hlp "$root/tests/help/fixtures/sample.but" \
     && halibut --input-charset=UTF-8 --winhelp=halibut-manual.hlp "$root/help/manual.but") >/dev/null 2>&1 || true
  cp "$work"/*.hlp "$corpus"/ 2>/dev/null || true
fi

"$build/fuzz_winhelp" "$corpus" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$artifacts/" -print_final_stats=1
