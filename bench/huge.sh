#!/usr/bin/env bash
# A huge log (SIZE, default 20G, made once): the memory the record table needs per
# record, for lines and for fixed-length records (peak RSS less that of opening a tiny
# file, per record), the time until every record is cut against wc -l, and the viewer's
# first painted text (offscreen; TERVIK_EXIT_AFTER_FIRST_PAINT).
set -euo pipefail
source "$(dirname "$0")/common.sh"
size_arg="${SIZE:-20G}"
size=$(numfmt --from=iec "$size_arg")
avail=$(df --output=avail -B1 "$data" | tail -1)
file="$data/log-$size.txt"
if [[ ! -f $file && $avail -lt $((size + (1 << 30))) ]]; then
  echo "Zu wenig Platz in $data für $size_arg: übersprungen."
  exit 0
fi
file=$(bench_file "$size")
runs="${RUNS:-3}"
echo "Datei: $file ($size Bytes), $runs Läufe, Mediane"

tiny="$data/tiny.txt"
printf 'eine Zeile\n' > "$tiny"
# rss_kb ARGS... -> peak RSS of tervik-cli info ARGS in kB
rss_kb() { { /usr/bin/time -f "rss-kb: %M" "$cli" info "$@" > /dev/null; } 2>&1 | sed -n 's/^rss-kb: //p'; }
base=$(rss_kb "$tiny")

wc_t=(); ready=(); rss=(); rss_fix=()
for ((i = 0; i < runs; i++)); do
  wc_t+=("$(seconds wc -l "$file")")
  err=$( { /usr/bin/time -f "rss-kb: %M" "$cli" info --timing "$file" > "$data/huge.out"; } 2>&1 )
  ready+=("$(sed -n 's/^ready-ms: //p' <<< "$err" | awk '{ print $1 / 1000 }')")
  rss+=("$(sed -n 's/^rss-kb: //p' <<< "$err")")
done
records=$(sed -n 's/^records: //p' "$data/huge.out")
# Fixed-length records of 100 bytes over the same file.
rss_fix=$(rss_kb --fixed 100 "$file")
records_fix=$(( (size + 99) / 100 ))

paint=()
viewer="$build/tervik"
ini=$(mktemp -d "${TMPDIR:-/tmp}/tervik-huge.XXXXXX")
trap 'rm -rf "$ini"' EXIT
printf '[Settings]\nFontName=Liberation Mono\n' > "$ini/t.ini"
for ((i = 0; i < runs; i++)); do
  t0=$(date +%s%N)
  TERVIK_EXIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=offscreen timeout 600 \
    "$viewer" --ini "$ini/t.ini" "$file" > /dev/null 2>&1 || true
  t1=$(date +%s%N)
  paint+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')")
done

m_wc=$(printf '%s\n' "${wc_t[@]}" | median)
m_ready=$(printf '%s\n' "${ready[@]}" | median)
m_rss=$(printf '%s\n' "${rss[@]}" | median)
m_paint=$(printf '%s\n' "${paint[@]}" | median)
per=$(awk -v r="$m_rss" -v b="$base" -v n="$records" 'BEGIN { printf "%.2f", (r - b) * 1024 / n }')
per_fix=$(awk -v r="$rss_fix" -v b="$base" -v n="$records_fix" 'BEGIN { printf "%.2f", (r - b) * 1024 / n }')
printf '%-34s %8s s\n' "wc -l" "$m_wc" "tervik-cli bereit" "$m_ready" "erstes Bild mit Text" "$m_paint"
printf 'Zeilen: %s, Spitzenspeicher: %s kB (leer: %s kB)\n' "$records" "$m_rss" "$base"
echo "bereit / wc -l                    = $(ratio "$m_ready" "$m_wc")   (Ziel: nicht langsamer als bisher)"
echo "erstes Bild mit Text              = $m_paint s   (Ziel <= 0.3 s)"
echo "Bytes je Zeile (RSS - leer)       = $per   (Ziel <= 4)"
echo "Bytes je Satz, feste Länge 100    = $per_fix   (Ziel <= 4)"
