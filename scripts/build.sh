#!/usr/bin/env bash
# Configures (once) and builds the Release tree in build/. Incremental.
# On a terminal one status line shows the progress; elsewhere (CI, tests) only errors
# and warnings appear.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TERVIK_BUILD_DIR:-$root/build}"
tty=0
[[ -t 1 ]] && tty=1
if [[ ! -f "$build/build.ninja" ]]; then
  ((tty)) && echo "Der Build wird in $build eingerichtet ..."
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTERVIK_WERROR=ON >/dev/null
fi
status=0
if ((tty)); then
  # Ninja's "[n/m] ..." lines overwrite each other on one line; everything else
  # (errors, warnings) is printed in full.
  cols=$(tput cols 2>/dev/null || echo 80)
  set +e
  cmake --build "$build" -- -j"$(nproc)" 2>&1 | tee "$build/.build.log" | {
    while IFS= read -r line; do
      if [[ $line =~ ^\[[0-9]+/[0-9]+\]\  ]]; then
        printf '\r\033[K%s' "${line:0:cols-1}"
      elif [[ $line != "ninja: no work to do." ]]; then
        printf '\r\033[K%s\n' "$line"
      fi
    done
    printf '\r\033[K'
  }
  status=${PIPESTATUS[0]}
  set -e
else
  # Progress lines are noise; errors and warnings stay.
  cmake --build "$build" -- -j"$(nproc)" > "$build/.build.log" 2>&1 || status=$?
  grep -v -E '^(\[[0-9]+/[0-9]+\] |ninja: no work to do)' "$build/.build.log" || true
fi
[[ $status -eq 0 ]]
