#!/usr/bin/env bash
# Configures (once) and builds the Release tree in build/. Incremental.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERVIK_BUILD_DIR:-$root/build}"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)" | grep -v -E '^\[[0-9]+/[0-9]+\] ' || true
test "${PIPESTATUS[0]}" -eq 0
