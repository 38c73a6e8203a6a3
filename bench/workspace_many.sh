#!/usr/bin/env bash
# Loading a workspace with many windows in the viewer (offscreen): 250, 500, 1000 and
# 2000 windows on one small file (FILES= more files with a window each, default 0).
# Prints load and close time and ms per window; twice the windows should cost about
# twice the time, so the last line compares ms per window of the largest load with
# the smallest (WINDOWS= other counts, smallest first).
set -euo pipefail
source "$(dirname "$0")/common.sh"
files="${FILES:-0}"
read -r -a counts <<< "${WINDOWS:-250 500 1000 2000}"
bench="$build/bench/tervik-bench-workspace-viewer"
export QT_QPA_PLATFORM=offscreen
printf '%8s %10s %10s %12s\n' "Fenster" "Laden ms" "Schließen" "ms/Fenster"
first=""; last=""
for n in "${counts[@]}"; do
  folder=$(mktemp -d "$data/many.XXXXXX")
  out=$("$bench" --many "$n" "$files" "$folder" 2> /dev/null)
  rm -rf "$folder"
  load=$(sed -n 's/^load-ms: //p' <<< "$out")
  close=$(sed -n 's/^close-ms: //p' <<< "$out")
  per=$(awk -v a="$load" -v n="$n" 'BEGIN { printf "%.3f", a / n }')
  printf '%8s %10s %10s %12s\n' "$n" "$load" "$close" "$per"
  [[ -z "$first" ]] && first="$per"
  last="$per"
done
echo "ms/Fenster ${counts[-1]} / ${counts[0]} = $(ratio "$last" "$first")   (linear: ~1)"
