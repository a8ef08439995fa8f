#!/usr/bin/env bash
# Installs what the build needs, builds everything (tests, benchmarks) twice
# (a normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build)
# and runs every test of both. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DKESTROVA_WERROR=$werror "$@" >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

mkdir -p build build-asan
echo "== normal build =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== sanitizer build (ASan + UBSan) =="
# The sanitizer build skips the benchmarks: they measure, they do not test.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_SANITIZE=ON -DKESTROVA_BUILD_BENCH=OFF
