#!/usr/bin/env bash
# Workspaces on a 1 GB log with 100,000 selected lines, against md5sum of the same
# cached file: writing the workspace (the digest and the selected lines; tervik-cli
# --timing "save"), and the whole "workspace new" and "workspace show" runs, which
# also open the file. Wall times of md5sum and of the runs.
# Still to add with the viewer's commands: its "save workspace" and "open workspace"
# (loading <= 1.5 x opening the file alone) timed in the viewer itself.
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-1000000000}"
file=$(bench_file "$size")
records=$("$cli" info "$file" | sed -n 's/^records: //p')
# 100 runs of 1,000 lines spread over the file: 100,000 selected lines.
script="$data/workspace-select.terviks"
step=$((records / 100))
: > "$script"
for ((k = 0; k < 100; k++)); do
  printf 'SELECT LINE=(%d,%d)\r\n' $((k * step)) $((k * step + 1000)) >> "$script"
done
ws="$data/bench.tervik"
echo "Datei: $file ($size Bytes, $records Zeilen), 100000 selektierte Zeilen, $runs Läufe, Mediane"

save_s() {
  "$cli" workspace new --timing "$ws" "$file" --select "$script" 2>&1 >/dev/null |
    awk '$1 == "save-ms:" { printf "%.4f", $2 / 1000 }'
}
declare -A t
for ((i = 0; i < runs; i++)); do
  t[md5]+="$(seconds md5sum "$file") "
  t[save]+="$(save_s) "
  t[new]+="$(seconds "$cli" workspace new "$ws" "$file" --select "$script") "
  t[open]+="$(seconds "$cli" info "$file") "
  t[show]+="$(seconds "$cli" workspace show "$ws") "
done
med() { printf '%s\n' $1 | median; }
declare -A m
for k in md5 save new open show; do m[$k]=$(med "${t[$k]}"); done
printf '%-44s %8s s\n' "md5sum" "${m[md5]}" "Arbeitsplatz schreiben (Digest + Zeilen)" "${m[save]}" \
  "workspace new (mit Öffnen)" "${m[new]}" "info (Öffnen allein)" "${m[open]}" \
  "workspace show" "${m[show]}"
echo "Schreiben / md5sum          = $(ratio "${m[save]}" "${m[md5]}")   (Pflicht <= 1.3)"
echo "workspace show / Öffnen     = $(ratio "${m[show]}" "${m[open]}")   (Pflicht <= 1.5)"
rm -f "$ws"
