#!/usr/bin/env bash
# F5 after data was appended to a large open log: the time of the refresh alone,
# with the size of what was appended. It must grow with the new bytes, never with
# the file: 1 MB and 4 MB appended to the 1 GB log, and 1 MB appended to a 10 MB log.
# The logs are copies of their own (grow-*.txt); the shared benchmark log stays as it is.
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-1000000000}"
bench="$build/bench/tervik-bench-refresh"

# grow_file SIZE -> a generated log of that size only this benchmark writes to.
grow_file() {
  local f="$data/grow-$1.txt"
  [[ -f "$f" && $(stat -c %s "$f") -eq $1 ]] || "$build/bench/tervik-genlog" "$f" "$1"
  echo "$f"
}

big=$(grow_file "$size")
small=$(grow_file 10000000)
echo "F5 nach Anhängen: Dauer der Aktualisierung, Median aus $runs Läufen je Fall"
row() { # FILE APPEND_BYTES LABEL
  local out ms max recs
  out=$("$bench" "$1" "$2" "$runs" 2> /dev/null)
  ms=$(sed -n 's/^median-ms: //p' <<< "$out")
  max=$(sed -n 's/^max-ms: //p' <<< "$out")
  recs=$(sed -n '1s/.*records: +//p' <<< "$out")
  printf '%-30s %7s ms (langsamster %s ms)   +%s Zeilen, %s ms/MB\n' "$3" "$ms" "$max" "$recs" \
    "$(awk -v m="$ms" -v b="$2" 'BEGIN { printf "%.2f", m / (b / 1048576) }')"
}
row "$big" 1048576 "1 MB an $((size / 1000000)) MB angehängt"
row "$big" 4194304 "4 MB an $((size / 1000000)) MB angehängt"
row "$small" 1048576 "1 MB an 10 MB angehängt"
echo "Ziel: 1 MB an 1 GB <= 10 ms, gleiche ms/MB bei 10 MB und 1 GB"
