#!/bin/sh
# Builds the fuzz targets with clang and runs each for a bounded time on its
# corpus (fuzz/corpus/<target>, kept in the repository).  New inputs found
# during the run are added to the corpus directory; crashes are left as
# crash-* files in the working directory and make the script fail.
#   fuzz/run-all.sh [seconds-per-target]
set -eu
SECONDS_PER_TARGET=${1:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
CXX=${FUZZ_CXX:-clang++} cmake -S "$ROOT/fuzz" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" >/dev/null
cmake --build "$BUILD" -j2
status=0
for exe in "$BUILD"/fuzz_*; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe")
  mkdir -p "$ROOT/fuzz/corpus/$name"
  echo "== $name (${SECONDS_PER_TARGET}s)"
  if ! "$exe" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 "$ROOT/fuzz/corpus/$name" 2>"$BUILD/$name.log"; then
    tail -40 "$BUILD/$name.log"
    status=1
  else
    grep -E "stat::number_of_executed_units|stat::new_units_added" "$BUILD/$name.log" || true
  fi
done
exit $status
