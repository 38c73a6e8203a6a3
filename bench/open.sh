#!/usr/bin/env bash
# Opening a 1 GB log: time to ready (records cut) and to the digest, against wc -l
# and md5sum on the same cached file, and the peak memory per record.
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-1000000000}"
file=$(bench_file "$size")
echo "Datei: $file ($size Bytes), $runs Läufe, Mediane"

wc_t=(); md5_t=(); ready=(); digest=(); rss=()
for ((i = 0; i < runs; i++)); do
  wc_t+=("$(seconds wc -l "$file")")
  md5_t+=("$(seconds md5sum "$file")")
  err=$( { /usr/bin/time -f "rss-kb: %M" "$cli" info --timing "$file" > "$data/info.out"; } 2>&1 )
  ready+=("$(sed -n 's/^ready-ms: //p' <<< "$err" | awk '{ print $1 / 1000 }')")
  digest+=("$(sed -n 's/^digest-ms: //p' <<< "$err" | awk '{ print $1 / 1000 }')")
  rss+=("$(sed -n 's/^rss-kb: //p' <<< "$err")")
done
records=$(sed -n 's/^records: //p' "$data/info.out")
m_wc=$(printf '%s\n' "${wc_t[@]}" | median)
m_md5=$(printf '%s\n' "${md5_t[@]}" | median)
m_ready=$(printf '%s\n' "${ready[@]}" | median)
m_digest=$(printf '%s\n' "${digest[@]}" | median)
m_rss=$(printf '%s\n' "${rss[@]}" | median)
per_record=$(awk -v r="$m_rss" -v n="$records" 'BEGIN { printf "%.2f", (r * 1024 - 16 * 1048576) / n }')

printf '%-28s %8s s\n' "wc -l" "$m_wc" "md5sum" "$m_md5" "tervik-cli bereit" "$m_ready" "tervik-cli Prüfsumme" "$m_digest"
printf 'Zeilen: %s, Spitzenspeicher: %s kB\n' "$records" "$m_rss"
echo "ready / wc -l         = $(ratio "$m_ready" "$m_wc")   (Ziel <= 2.0, Pflicht <= 3.0)"
echo "digest / md5sum       = $(ratio "$m_digest" "$m_md5")   (Ziel <= 1.15)"
echo "Bytes je Zeile (RSS - 16 MB) = $per_record   (Ziel <= 16.5)"
