#!/usr/bin/env bash
# Installs what is missing, builds Tabulon with warnings as errors and the address and
# undefined-behaviour sanitizers, runs every test, then runs each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --test

# The checked-in .clang-format holds for every source file.
find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

jobs=$(nproc)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DTABULON_WERROR=ON -DTABULON_SANITIZE=ON
cmake --build build/test -j"$jobs"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/test --no-tests=error --output-on-failure -j"$jobs" | tee build/test/ctest.log
total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' build/test/ctest.log)

# Every case runs here, also those that need a plain user (run as one) or an outside
# tool (installed above): a skipped case would hide a fault, so it fails the run.
log=build/test/Testing/Temporary/LastTest.log
skips=$(grep -E '^SKIP +: ' "$log" || true)
if [ -n "$skips" ] || grep -qE '^Totals: .* [1-9][0-9]* skipped' "$log" ||
  grep -qE '\*\*\*(Skipped|Not Run)' build/test/ctest.log; then
  echo "FAILED: tests were skipped (see $log):" >&2
  echo "$skips" >&2
  exit 1
fi

# The Debian package, from a plain release build of the programs: its control fields and
# files checked, installed, run and removed again.
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABULON_TESTS=OFF
cmake --build build/package -j"$jobs"
rm -f build/package/tabulon_*.deb
(cd build/package && cpack -G DEB > /dev/null)
bash scripts/check-package.sh build/package/tabulon_*.deb

# Fuzz targets: a short bounded run each, starting from small sound catalogues.
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTABULON_FUZZ=ON -DTABULON_GUI=OFF
cmake --build build/fuzz -j"$jobs"
rm -rf build/fuzz/seeds
bash fuzz/make-seeds.sh build/test/tools/tabulon-cli build/fuzz/seeds
for fuzzer in build/fuzz/fuzz/fuzz_*; do
  [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  [ -d "build/fuzz/seeds/$name" ] && cp build/fuzz/seeds/"$name"/* "$corpus"/
  echo "Fuzzing $name for ${FUZZ_SECONDS:-60} s"
  "$fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=0 "$corpus" 2>&1 | tail -n 3
done
echo "All tests and fuzz runs passed."
echo "tests: ${total:-0} passed, 0 failed, 0 skipped"
