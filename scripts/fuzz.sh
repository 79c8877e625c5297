#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UBSan), writes
# their seed corpora from the synthetic recorder and runs each target for
# FUZZ_SECONDS seconds (or until FUZZ_RUNS executions). A crash, leak, hang or UB report is kept under
# <build>/findings/<target>/ and makes the script fail.
#   FUZZ_SECONDS  run time per target (default 60)
#   FUZZ_RUNS     stop a target after this many executions (default: no limit)
#   FUZZ_TARGETS  targets to run (default: all)
#   FUZZ_BUILD    build directory (default build-fuzz)
#   FUZZ_MAX_LEN  largest input in bytes (default 65536)
#   FUZZ_REPORT   where the table of the run is written (default docs/fuzzing.md)
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${FUZZ_BUILD:-$ROOT/build-fuzz}"
SECS="${FUZZ_SECONDS:-60}"
JOBS="${JOBS:-2}"
TARGETS="${FUZZ_TARGETS:-card_open group_decode delta frame_info archive journal}"

CC=clang CXX=clang++ cmake -S "$ROOT/fuzz" -B "$BUILD" -G Ninja >/dev/null || exit 1
ninja -C "$BUILD" -j "$JOBS" make_seeds $(for t in $TARGETS; do echo "fuzz_$t"; done) >/dev/null || exit 1
rm -rf "$BUILD/seeds"
"$BUILD/make_seeds" "$BUILD/seeds" || exit 1

failed=0
REPORT="${FUZZ_REPORT:-$ROOT/docs/fuzzing.md}"
printf '%-14s %12s %10s %8s  %s\n' target executions exec/s seconds result
for t in $TARGETS; do
  corpus="$BUILD/corpus/$t" findings="$BUILD/findings/$t" log="$BUILD/logs/$t.log"
  mkdir -p "$corpus" "$findings" "$BUILD/logs"
  "$BUILD/fuzz_$t" -max_total_time="$SECS" ${FUZZ_RUNS:+-runs="$FUZZ_RUNS"} -max_len="${FUZZ_MAX_LEN:-65536}" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "$BUILD/seeds/$t" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  result=ok
  if [ $rc -ne 0 ]; then
    result="FAILED (see $log, $findings)"
    failed=1
  fi
  secs=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  printf '%-14s %12s %10s %8s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${secs:-$SECS}" "$result"
done

bash "$ROOT/scripts/fuzz_report.sh" "$BUILD" "$REPORT" $TARGETS
exit $failed
