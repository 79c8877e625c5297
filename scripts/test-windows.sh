#!/usr/bin/env bash
# Cross-builds the Qt-free core, mkcard and the core's test programs for 64-bit
# Windows and runs the tests under Wine, headless.
#   scripts/test-windows.sh [build-dir]      (default build/windows)
# The Qt window, the SDL sound output and the GPS serial-port tests (Linux
# pseudo-terminals) are not part of it.
set -euo pipefail
cd "$(dirname "$0")/.."
SRC=$PWD
mkdir -p "${1:-build/windows}"
B=$(cd "${1:-build/windows}" && pwd)
JOBS=${JOBS:-$(nproc)}
TOOLCHAIN=$SRC/cmake/mingw-w64.cmake
PREFIX=$B/prefix
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
# The test folders that need neither Qt nor SDL nor Linux terminals.
SUITES=(${QUOVIL_WIN_SUITES:-card platform decode viewer export journal tools faults gps})

bash scripts/install-windows-deps.sh

# GoogleTest built with the same compilers, installed into the prefix.
if [ ! -f "$PREFIX/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "-- GoogleTest for Windows"
  cmake -S /usr/src/googletest -B "$B/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" >"$B/googletest.log"
  cmake --build "$B/googletest" -j "$JOBS" --target install >>"$B/googletest.log"
fi
# Header-only libraries of the build machine, seen by the cross-build through
# the prefix only (not the whole of /usr/include).
ln -sfn /usr/include/SimpleIni.h "$PREFIX/include/SimpleIni.h"
ln -sfn /usr/include/nlohmann "$PREFIX/include/nlohmann"

echo "-- Windows build of the core and its tests"
# -O1: GCC 12 reports false buffer overflows in inlined standard library code
# at -O2 and above. Assertions stay on.
cmake -S "$SRC" -B "$B/quovil" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DQUOVIL_WIN_PREFIX="$PREFIX" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O1 -DQUOVIL_GUI=OFF -DQUOVIL_BENCH=OFF >"$B/configure.log"
targets=(mkcard)
for s in "${SUITES[@]}"; do
  if compgen -G "tests/$s/*.cpp" >/dev/null; then targets+=("${s}_tests"); fi
done
cmake --build "$B/quovil" -j "$JOBS" --target "${targets[@]}"

echo "-- Running the tests under Wine"
export WINEPREFIX=$B/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot --init >/dev/null 2>&1 || true
  # The server wineboot started lingers a few seconds; a second one cannot start meanwhile.
  "$WINESERVER" -w || true
fi
# One server for the whole run: each test program then starts quickly. One that
# is still running (an interrupted run) serves as well.
"$WINESERVER" -p 2>/dev/null || true
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT

passed=0 failed=0 skipped=0 broken=()
for t in "${targets[@]:1}"; do
  exe=$B/quovil/tests/$t.exe
  log=$B/$t.log
  status=0
  (cd "$B/quovil/tests" && timeout 1200 "$WINE" "$exe" --gtest_brief=1 --gtest_color=no) >"$log" 2>&1 || status=$?
  grep -v '^\[' "$log" | sed '/^$/d' || true
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  # Brief output names each failed test once and prints no failure count.
  f=$(grep -c '^\[  FAILED  \] .* ([0-9]* ms)' "$log" || true)
  # "N tests, listed below:" in full output, "N tests." in brief output.
  s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?[,.].*/\1/p' "$log" | tail -1)
  passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0})); skipped=$((skipped + ${s:-0}))
  printf '%-16s %4s passed %4s failed %4s skipped\n' "$t" "${p:-0}" "${f:-0}" "${s:-0}"
  if [ "$status" -ne 0 ]; then
    grep '^\[  FAILED  \]' "$log" || true
    if [ -z "$p$f" ]; then echo "$t ended without its summary (exit $status):"; tail -20 "$log"; fi
    broken+=("$t")
  fi
done

echo "wine: $passed passed, $failed failed, $skipped skipped"
if [ ${#broken[@]} -ne 0 ]; then
  echo "Failing under Wine: ${broken[*]}" >&2
  exit 1
fi
