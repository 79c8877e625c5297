#!/usr/bin/env bash
# Builds the benchmarks in Release, runs every benchmark program of bench/ with
# JSON output and writes docs/performance.md: each figure against the
# reference measured in the same run, and whether it meets its target.
#   bench.sh [BUILD_DIR]   (default build/bench)
#   QUOVIL_BENCH_ARCHIVE_MB  size of the saved fragment (default 256 here)
#   QUOVIL_BENCH_IMAGE_MB    size of the imaged card (default 256)
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build/bench}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
JOBS="${JOBS:-2}"
OUT="$BUILD/bench-results"
export QUOVIL_BENCH_ARCHIVE_MB="${QUOVIL_BENCH_ARCHIVE_MB:-256}"
export QUOVIL_BENCH_IMAGE_MB="${QUOVIL_BENCH_IMAGE_MB:-256}"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOVIL_TESTS=OFF -DQUOVIL_BENCH=ON \
  -DQUOVIL_GUI=OFF >/dev/null || exit 1
programs=$(cd "$ROOT/bench" && ls bench_*.cpp | sed 's/\.cpp$//')
ninja -C "$BUILD" -j "$JOBS" quovil-cli $programs >/dev/null || exit 1
export QUOVIL_CLI="$BUILD/src/cli/quovil-cli"

rm -rf "$OUT"
mkdir -p "$OUT"
failed=0
for p in $programs; do
  echo "running $p" >&2
  if ! "$BUILD/bench/$p" --benchmark_format=json --benchmark_out="$OUT/$p.json" \
      --benchmark_out_format=json >/dev/null 2>"$OUT/$p.log"; then
    echo "  $p failed (see $OUT/$p.log)" >&2
    failed=1
  fi
done

python3 "$ROOT/scripts/bench_report.py" "$OUT" "$ROOT/docs/performance.md" || exit 1
echo "wrote docs/performance.md" >&2
exit $failed
