#!/usr/bin/env bash
# Character frequency over a 1 GB log: tervik-cli charfreq (time of the count and the
# CSV alone) against reading the same cached file with cat.
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-1000000000}"
file=$(bench_file "$size")
echo "Datei: $file ($size Bytes), $runs Läufe, Mediane"

charfreq_s() {
  "$cli" charfreq --timing "$file" 2>&1 >/dev/null | sed -n 's/^charfreq-ms: //p' | awk '{ print $1 / 1000 }'
}

cat_t="" freq_t=""
for ((i = 0; i < runs; i++)); do
  cat_t+="$(seconds sh -c 'cat "$1" > /dev/null' sh "$file") "
  freq_t+="$(charfreq_s) "
done
cat_m=$(printf '%s\n' $cat_t | median)
freq_m=$(printf '%s\n' $freq_t | median)
printf '%-40s %8s s\n' "cat FILE > /dev/null" "$cat_m" "charfreq" "$freq_m"
echo "Zeichenhäufigkeit / cat           = $(ratio "$freq_m" "$cat_m")   (Ziel <= 3)"
