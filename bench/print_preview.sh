#!/usr/bin/env bash
# The print preview of a 200 MB log: time until page 1 is on the screen and until the
# page count is known, and the memory the preview adds, against wc -l on the same
# cached file. QT=1 also times Qt's own preview widget, which draws every page before
# it shows one, on a smaller file (QT_SIZE, 30 MB).
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-200000000}"
file=$(bench_file "$size")
bench="$build/bench/tervik-bench-print-preview"
echo "Datei: $file ($size Bytes), $runs Läufe, Mediane"

wc_t=(); page1=(); count=(); last=(); growth=()
for ((i = 0; i < runs; i++)); do
  wc_t+=("$(seconds wc -l "$file")")
  out=$("$bench" "$file" 2> /dev/null)
  page1+=("$(sed -n 's/^page1-ms: //p' <<< "$out" | awk '{ print $1 / 1000 }')")
  count+=("$(sed -n 's/^count-ms: //p' <<< "$out" | awk '{ print $1 / 1000 }')")
  last+=("$(sed -n 's/^last-page-ms: //p' <<< "$out" | awk '{ print $1 / 1000 }')")
  growth+=("$(sed -n 's/^growth-kb: //p' <<< "$out" | awk '{ printf "%.1f\n", $1 / 1024 }')")
done
m_wc=$(printf '%s\n' "${wc_t[@]}" | median)
m_page1=$(printf '%s\n' "${page1[@]}" | median)
m_count=$(printf '%s\n' "${count[@]}" | median)
m_last=$(printf '%s\n' "${last[@]}" | median)
m_growth=$(printf '%s\n' "${growth[@]}" | median)
printf 'Zeilen: %s, Seiten: %s\n' "$(sed -n 's/^records: //p' <<< "$out")" \
  "$(sed -n 's/^pages: //p' <<< "$out")"
printf '%-36s %8s s\n' "wc -l" "$m_wc" "Seitenansicht: Seite 1 gezeigt" "$m_page1" \
  "Seitenansicht: Seitenzahl bekannt" "$m_count" "Sprung auf die letzte Seite" "$m_last"
printf '%-36s %8s MB\n' "Speicher der Seitenansicht (Spitze)" "$m_growth"
echo "Seite 1 / wc -l        = $(ratio "$m_page1" "$m_wc")"
echo "Seitenzahl / wc -l     = $(ratio "$m_count" "$m_wc")"
echo "Seite 1: $m_page1 s (Ziel <= 2 s), Speicher: $m_growth MB (Ziel <= 50 MB)"

if [[ "${QT:-0}" == 1 ]]; then
  qt_size="${QT_SIZE:-30000000}"
  qt_file=$(bench_file "$qt_size")
  out=$("$bench" "$qt_file" --qt 2> /dev/null)
  ours=$("$bench" "$qt_file" 2> /dev/null)
  echo "Zum Vergleich auf $qt_file ($qt_size Bytes, $(sed -n 's/^pages: //p' <<< "$out") Seiten), ein Lauf:"
  printf '%-36s %8s s %8s MB\n' \
    "Qt-Vorschau (alle Seiten vorab)" \
    "$(sed -n 's/^qt-page1-ms: //p' <<< "$out" | awk '{ print $1 / 1000 }')" \
    "$(sed -n 's/^growth-kb: //p' <<< "$out" | awk '{ printf "%.1f\n", $1 / 1024 }')" \
    "Seitenansicht: Seite 1 gezeigt" \
    "$(sed -n 's/^page1-ms: //p' <<< "$ours" | awk '{ print $1 / 1000 }')" \
    "$(sed -n 's/^growth-kb: //p' <<< "$ours" | awk '{ printf "%.1f\n", $1 / 1024 }')"
fi
