#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan in build-fuzz/ and runs
# one of them, or all: scripts/fuzz.sh [NAME] [SECONDS]   (default: all, 60 s each)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build-fuzz"
if [[ ! -f "$build/build.ninja" ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTERVIK_FUZZ=ON -DTERVIK_BUILD_UI=OFF -DTERVIK_BUILD_BENCH=OFF >/dev/null
fi
seconds="${2:-60}"
if [[ -n "${1:-}" && "${1}" != all ]]; then
  targets=("$1")
else
  targets=()
  for f in "$root"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
# Progress lines are noise; errors and warnings stay.
status=0
cmake --build "$build" --target "${targets[@]}" -- -j"$(nproc)" > "$build/.build.log" 2>&1 || status=$?
grep -v -E '^(\[[0-9]+/[0-9]+\] |ninja: no work to do)' "$build/.build.log" || true
[[ $status -eq 0 ]]
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  echo "== $t ($seconds s)"
  "$build/fuzz/$t" -max_total_time="$seconds" -print_final_stats=0 "$corpus" 2>&1 | tail -n 3
done
