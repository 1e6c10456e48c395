#!/usr/bin/env bash
# Fuzzes one of the file readers with libFuzzer for SECONDS (default 60).
#   scripts/fuzz.sh [SECONDS] [winhelp|questions|access]
# winhelp (the default): the WinHelp reader; questions: the Aiken and the GIFT
# readers, SECONDS each; access: the reading of old Access courses by
# `etextbook-db import`.
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

case "$target" in
access)
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
  ;;
questions)
  cmake --build "$build" --target fuzz_aiken fuzz_gift -j2
  artifacts="$build/artifacts"
  mkdir -p "$artifacts"
  # The question readers start from the hand-written fixtures, each with its own
  # corpus folder so the two do not share findings.
  for reader in aiken gift; do
    qcorpus="$build/corpus-$reader"
    mkdir -p "$qcorpus"
    cp "$root"/tests/tools/fixtures/questions/*.txt "$root"/tests/tools/fixtures/questions/*.gift "$qcorpus"/
    "$build/fuzz_$reader" "$qcorpus" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$artifacts/$reader-" -print_final_stats=1
  done
  exit 0
  ;;
winhelp) ;;
*) echo "fuzz.sh: unknown target $target (winhelp, questions or access)" >&2; exit 2 ;;
esac

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
