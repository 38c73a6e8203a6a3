#!/usr/bin/env bash
# Builds the platform, core and command-line tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (no Qt) in build-asan/ and runs them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build-asan"
source "$root/scripts/build-tree.sh"
tervik_build_tree "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERVIK_SANITIZE=ON \
  -DTERVIK_WERROR=ON -DTERVIK_BUILD_UI=OFF -DTERVIK_BUILD_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j"$(nproc)"
