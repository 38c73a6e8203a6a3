#!/usr/bin/env bash
# Line selection on a 1 GB log: selecting the lines that hold a text (case ignored),
# inverting the selection of all lines, and exporting the selected lines, each
# against grep on the same cached file. Times of the engines alone (tervik-cli
# --timing), grep's as wall time.
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-1000000000}"
file=$(bench_file "$size")
text="${TEXT:-fehler wert}"
scripts="$data/scripts"
mkdir -p "$scripts"
printf 'SELECT LINE=*ALL,TEXT="%s"\r\n' "$text" > "$scripts/select.terviks"
printf 'INVERTSELECT\r\n' > "$scripts/invert.terviks"
records=$("$cli" info "$file" | sed -n 's/^records: //p')
hits=$(grep -F -i -c "$text" "$file" || true)
echo "Datei: $file ($size Bytes, $records Zeilen), '$text' in $hits Zeilen, $runs Läufe, Mediane"

# timing_s SCRIPT KEY [ARGS...] -> the sum of the named --timing values in seconds
timing_s() {
  local script=$1 keys=$2
  shift 2
  "$cli" select --timing "$@" "$script" "$file" 2>&1 >/dev/null |
    awk -v keys="$keys" 'BEGIN { n = split(keys, k, ",") }
      { for (i = 1; i <= n; i++) if ($1 == k[i] ":") s += $2 }
      END { printf "%.4f", s / 1000 }'
}

out="$data/export.txt"
declare -A t
for ((i = 0; i < runs; i++)); do
  # Into a file: GNU grep stops at the first match when its output is /dev/null.
  t[grepFic]+="$(seconds sh -c 'grep -F -i -c "$1" "$2" > "$3"' sh "$text" "$file" "$out.count") "
  t[grepOut]+="$(seconds sh -c 'grep -F -i "$1" "$2" > "$3"' sh "$text" "$file" "$out.grep") "
  t[select]+="$(timing_s "$scripts/select.terviks" select-ms) "
  t[invert]+="$(timing_s "$scripts/invert.terviks" select-ms) "
  t[export]+="$(timing_s "$scripts/select.terviks" select-ms,export-ms --export "$out") "
done
med() { printf '%s\n' $1 | median; }
declare -A m
for k in grepFic grepOut select invert export; do m[$k]=$(med "${t[$k]}"); done
printf '%-44s %8s s\n' "grep -F -i -c" "${m[grepFic]}" "grep -F -i > Datei" "${m[grepOut]}" \
  "select TEXT (ohne Beachtung)" "${m[select]}" "INVERTSELECT ($records Zeilen)" "${m[invert]}" \
  "select TEXT + Export" "${m[export]}"
echo "Selektieren / grep -F -i -c             = $(ratio "${m[select]}" "${m[grepFic]}")   (Ziel <= 2, Pflicht <= 4)"
echo "Invertieren                             = ${m[invert]} s   (Ziel <= 0.5 s bei 8 Mio. Zeilen)"
echo "Selektieren + Export / grep -F -i > Datei = $(ratio "${m[export]}" "${m[grepOut]}")   (Ziel <= 1.5)"
rm -f "$out" "$out.grep" "$out.count"
