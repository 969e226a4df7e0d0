#!/bin/sh
# Runs the dieharder battery on every engine, reading raw binary output of
# the command-line tool from stdin (dieharder -g 200), and writes a summary
# table (passed / weak / failed per engine) as markdown.
#   tools/dieharder-all.sh [output.md] [extra dieharder options]
# Needs Debian's dieharder package (not installed by the build).  A full
# battery (-a) takes about an hour per engine on one core; TESTS="0 2 8"
# runs only those dieharder test numbers (-d), one after the other.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/docs/dieharder.md}
[ $# -gt 0 ] && shift
VXALEA=${VXALEA:-$ROOT/build/bin/vxalea}
LOGDIR=${LOGDIR:-$ROOT/build/dieharder}
mkdir -p "$LOGDIR"
# Every engine that runs here and is random in the statistical sense, as
# 'vxalea methods' reads them from the descriptors (SUBKEY32/64 and TORVEL are
# not: testing them would only confirm that); ENGINES="..." picks others.
ENGINES=${ENGINES:-$("$VXALEA" methods | awk 'NR > 1 && $2 == "available" && $3 == "yes" { print $1 }')}
{
  echo "# dieharder results"
  echo
  echo "Date: $(date -u +%Y-%m-%d). Command per engine:"
  if [ -n "${TESTS:-}" ]; then
    echo "\`vxalea raw --method ENGINE --seed 12345 --format bin -n 0 | dieharder -g 200 -d N $*\`"
    echo "for each N in: $TESTS"
  else
    echo "\`vxalea raw --method ENGINE --seed 12345 --format bin -n 0 | dieharder -g 200 -a $*\`"
  fi
  echo
  echo "| engine | passed | weak | failed |"
  echo "|---|---|---|---|"
} >"$OUT"
for e in $ENGINES; do
  log="$LOGDIR/$e.txt"
  if [ -n "${TESTS:-}" ]; then
    : >"$log"
    for t in $TESTS; do
      "$VXALEA" raw --method "$e" --seed 12345 --format bin -n 0 | dieharder -g 200 -d "$t" "$@" >>"$log" 2>&1 || true
    done
  else
    "$VXALEA" raw --method "$e" --seed 12345 --format bin -n 0 | dieharder -g 200 -a "$@" >"$log" 2>&1 || true
  fi
  p=$(grep -c "PASSED" "$log" || true)
  w=$(grep -c "WEAK" "$log" || true)
  f=$(grep -c "FAILED" "$log" || true)
  echo "| $e | $p | $w | $f |" >>"$OUT"
  echo "$e: passed $p weak $w failed $f"
done
