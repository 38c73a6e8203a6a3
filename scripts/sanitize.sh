#!/usr/bin/env bash
# Builds the platform, core and command-line tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (no Qt) in build-asan/ and runs them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build-asan"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTERVIK_SANITIZE=ON -DTERVIK_BUILD_UI=OFF -DTERVIK_BUILD_BENCH=OFF >/dev/null
fi
# Progress lines are noise; errors and warnings stay.
status=0
cmake --build "$build" -- -j"$(nproc)" > "$build/.build.log" 2>&1 || status=$?
grep -v -E '^(\[[0-9]+/[0-9]+\] |ninja: no work to do)' "$build/.build.log" || true
[[ $status -eq 0 ]]
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j"$(nproc)"
