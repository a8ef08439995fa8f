#!/usr/bin/env bash
# Builds one libFuzzer target with clang 14 under ASan/UBSan and runs it.
#   scripts/run-fuzz.sh <fuzzer> [seconds]      (default: markup_fuzzer, 600)
# The corpus grows in fuzz/corpus/<name>/ (name = fuzzer without _fuzzer);
# crash inputs land in fuzz/regressions/<name>/, where the normal tests
# replay them. Runs with one job: the build machine is shared.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzzer=${1:-markup_fuzzer}
seconds=${2:-600}
name=${fuzzer%_fuzzer}
build=${KESTROVA_FUZZ_BUILD:-build-fuzz}

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_SANITIZE=ON -DKESTROVA_BUILD_FUZZ=ON \
  -DKESTROVA_BUILD_TESTS=OFF -DKESTROVA_BUILD_BENCH=OFF >"$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" --target "$fuzzer" -j "${KESTROVA_FUZZ_BUILD_JOBS:-2}"

corpus=fuzz/corpus/$name
crashes=fuzz/regressions/$name
mkdir -p "$corpus" "$crashes"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A fresh corpus folder keeps the checked-in seeds unchanged; new inputs
# found during the run stay in the temporary folder.
cp "$corpus"/* "$work"/ 2>/dev/null || true
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$build/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=65536 \
  -artifact_prefix="$crashes/" -print_final_stats=1 "$work"
