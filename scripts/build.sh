#!/usr/bin/env bash
# Configures (once) and builds the Release tree in build/. Incremental.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERVIK_BUILD_DIR:-$root/build}"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
# Progress lines are noise; errors and warnings stay.
status=0
cmake --build "$build" -- -j"$(nproc)" > "$build/.build.log" 2>&1 || status=$?
grep -v -E '^(\[[0-9]+/[0-9]+\] |ninja: no work to do)' "$build/.build.log" || true
[[ $status -eq 0 ]]
