#!/usr/bin/env bash
# A workspace with the 1 GB log and 100,000 selected lines: saving it against md5sum
# of the file (the digest dominates), loading it against opening the file alone.
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-1000000000}"
selected="${SELECTED:-100000}"
file=$(bench_file "$size")
bench="$build/bench/tervik-bench-workspace-viewer"
echo "Datei: $file ($size Bytes), $selected selektierte Zeilen, $runs Läufe, Mediane"

md5_t=(); open_t=(); save1_t=(); save_t=(); load_t=()
for ((i = 0; i < runs; i++)); do
  md5_t+=("$(seconds md5sum "$file")")
  out=$("$bench" "$file" "$selected" "$data/bench.tervik" 2> /dev/null)
  open_t+=("$(sed -n 's/^open-ms: //p' <<< "$out" | awk '{ print $1 / 1000 }')")
  save1_t+=("$(sed -n 's/^save-after-open-ms: //p' <<< "$out" | awk '{ print $1 / 1000 }')")
  save_t+=("$(sed -n 's/^save-ms: //p' <<< "$out" | awk '{ print $1 / 1000 }')")
  load_t+=("$(sed -n 's/^load-ms: //p' <<< "$out" | awk '{ print $1 / 1000 }')")
done
m_md5=$(printf '%s\n' "${md5_t[@]}" | median)
m_open=$(printf '%s\n' "${open_t[@]}" | median)
m_save1=$(printf '%s\n' "${save1_t[@]}" | median)
m_save=$(printf '%s\n' "${save_t[@]}" | median)
m_load=$(printf '%s\n' "${load_t[@]}" | median)
head -1 <<< "$out"
printf '%-40s %8s s\n' "md5sum" "$m_md5" "Öffnen allein" "$m_open" \
  "Speichern direkt nach dem Öffnen" "$m_save1" "Speichern (Prüfsumme bekannt)" "$m_save" \
  "Laden" "$m_load"
echo "Speichern nach Öffnen / md5sum = $(ratio "$m_save1" "$m_md5")   (Pflicht <= 1.3)"
echo "Laden / Öffnen                 = $(ratio "$m_load" "$m_open")   (Pflicht <= 1.5)"
