#!/bin/sh
# Builds the fuzz targets with clang and runs each for a bounded time on its
# corpus (fuzz/corpus/<target>, kept in the repository, minimised) and its
# regression inputs (fuzz/regressions/<target>: every input that once
# crashed or timed out, replayed first on every run and never rewritten).
# New inputs found during the run are added to the corpus directory; a
# crash or timeout is left as crash-*/timeout-* in the build directory and
# makes the script fail: copy it into fuzz/regressions/<target>/ with the
# fix.
# The mutation sequence starts from a fixed seed (FUZZ_SEED, default 1), so
# that a failing run in CI points at a change of the code, not at a lucky
# draw; exploratory runs use another seed or FUZZ_SEED=0 (from the clock)
# and more time.
#   fuzz/run-all.sh [seconds-per-target]
#   fuzz/run-all.sh --minimise      rewrites each corpus as its minimal
#                                   subset of the same coverage
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
MODE=run
SECONDS_PER_TARGET=60
case "${1:-}" in
  --minimise) MODE=minimise ;;
  "") ;;
  *) SECONDS_PER_TARGET=$1 ;;
esac
cmake -S "$ROOT/fuzz" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" >/dev/null
cmake --build "$BUILD" -j2
status=0
for exe in "$BUILD"/fuzz_*; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe")
  corpus=$ROOT/fuzz/corpus/$name
  regressions=$ROOT/fuzz/regressions/$name
  mkdir -p "$corpus"
  if [ "$MODE" = minimise ]; then
    fresh=$BUILD/$name.minimal
    rm -rf "$fresh" && mkdir -p "$fresh"
    "$exe" -merge=1 -timeout=10 -rss_limit_mb=2048 "$fresh" "$corpus" 2>"$BUILD/$name.log"
    rm -rf "$corpus" && mv "$fresh" "$corpus"
    echo "== $name: $(ls "$corpus" | wc -l) inputs"
    continue
  fi
  set -- "$corpus"
  [ -d "$regressions" ] && set -- "$corpus" "$regressions"
  echo "== $name (${SECONDS_PER_TARGET}s)"
  if ! "$exe" -seed="${FUZZ_SEED:-1}" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$BUILD/$name-" -print_final_stats=1 "$@" 2>"$BUILD/$name.log"; then
    tail -40 "$BUILD/$name.log"
    status=1
  else
    grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added" "$BUILD/$name.log" || true
  fi
done
exit $status
