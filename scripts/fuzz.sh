#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan in build-fuzz/ and runs one of
# them, or all: scripts/fuzz.sh [NAME|all] [SECONDS]   (default: all, 60 s each)
# Each run starts from the committed seeds in fuzz/corpus/NAME/, which it only reads;
# what it finds goes to build-fuzz/corpus/NAME/. A crash, leak or hang fails the
# script and names the input that caused it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build-fuzz"
seconds="${2:-60}"
if [[ -n "${1:-}" && "${1}" != all ]]; then
  targets=("$1")
else
  targets=()
  for f in "$root"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
source "$root/scripts/build-tree.sh"
CC=clang CXX=clang++ tervik_build_tree "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERVIK_FUZZ=ON \
  -DTERVIK_WERROR=ON -DTERVIK_BUILD_UI=OFF -DTERVIK_BUILD_BENCH=OFF -- "${targets[@]}"
# The settings target writes its files for every input: in memory it gets through twenty
# times as many (it keeps them in a folder of this user's own there).
if [[ -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi
failed=()
for t in "${targets[@]}"; do
  scratch="$build/corpus/$t"
  seeds="$root/fuzz/corpus/$t"
  found="$build/found/$t"
  log="$build/logs/$t.log"
  mkdir -p "$scratch" "$found" "$(dirname "$log")"
  # libFuzzer adds new inputs to the first folder only; the seeds come after it.
  dirs=("$scratch")
  [[ -d $seeds ]] && dirs+=("$seeds")
  echo "== $t ($seconds s)"
  rc=0
  # A hang counts as a fault: no input of these parsers takes seconds.
  "$build/fuzz/$t" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$found/" "${dirs[@]}" >"$log" 2>&1 || rc=$?
  if ((rc == 0)); then
    grep -E '^stat::number_of_executed_units' "$log" | sed 's/^stat::number_of_executed_units: */   runs: /' || true
    continue
  fi
  # The report of the fault, then the input that caused it.
  grep -v -E '^(#[0-9]+|INFO:|MS:|stat::)' "$log" | tail -n 40 >&2
  inputs=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log")
  echo "FEHLER: $t ist fehlgeschlagen (Exit-Code $rc), Protokoll: $log" >&2
  for input in $inputs; do
    echo "FEHLER: auslösende Eingabe: $input (nachstellen: $build/fuzz/$t $input)" >&2
  done
  failed+=("$t")
done
if ((${#failed[@]})); then
  echo "Fuzzing fehlgeschlagen: ${failed[*]}" >&2
  exit 1
fi
