#!/usr/bin/env bash
# Searching a 1 GB log for text that does not occur: tervik-cli find (the search
# engine of the views, time of the search alone) against grep on the same cached file,
# and backward from the last line against forward from the first.
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-1000000000}"
file=$(bench_file "$size")
last=$(($("$cli" info "$file" | sed -n 's/^records: //p') - 1))
echo "Datei: $file ($size Bytes), $runs Läufe, Mediane"

# find_s ARGS... -> the engine's own time in seconds
find_s() {
  # Nothing is found, so the tool ends with 1; only its time matters here.
  { "$cli" find --timing "$@" "$file" 2>&1 >/dev/null || true; } | sed -n 's/^find-ms: //p' | awk '{ print $1 / 1000 }'
}

declare -A t
for ((i = 0; i < runs; i++)); do
  t[grepF]+="$(seconds grep -F -c 'Xylophonkonzert' "$file") "
  t[grepFi]+="$(seconds grep -F -i -c 'Xylophonkonzert' "$file") "
  t[grepRe]+="$(seconds grep -c 'Xylophon.*konzert' "$file") "
  t[grepHex]+="$(seconds grep -F -c $'\x01\x02\x03\x04' "$file") "
  t[case]+="$(find_s '%FLAGS(C)Xylophonkonzert') "
  t[nocase]+="$(find_s 'Xylophonkonzert') "
  t[wild]+="$(find_s '%FLAGS(*)*Xylophon*konzert*') "
  t[dump]+="$(find_s --dump '%FLAGS(X)01020304') "
  t[backCase]+="$(find_s --backward --line "$last" '%FLAGS(C)Xylophonkonzert') "
  t[backNocase]+="$(find_s --backward --line "$last" 'Xylophonkonzert') "
  t[backWild]+="$(find_s --backward --line "$last" '%FLAGS(*)*Xylophon*konzert*') "
done
med() { printf '%s\n' $1 | median; }
declare -A m
for k in grepF grepFi grepRe grepHex case nocase wild dump backCase backNocase backWild; do m[$k]=$(med "${t[$k]}"); done
printf '%-40s %8s s\n' "grep -F -c" "${m[grepF]}" "grep -F -i -c" "${m[grepFi]}" "grep -c 'a.*b'" "${m[grepRe]}" \
  "grep -F -c (Bytes)" "${m[grepHex]}" "find %FLAGS(C)" "${m[case]}" "find (ohne Optionen)" "${m[nocase]}" \
  "find %FLAGS(*)*a*b*" "${m[wild]}" "find --dump %FLAGS(X)" "${m[dump]}" \
  "find --backward %FLAGS(C)" "${m[backCase]}" "find --backward (ohne Optionen)" "${m[backNocase]}" \
  "find --backward %FLAGS(*)*a*b*" "${m[backWild]}"
echo "Groß/klein beachten / grep -F     = $(ratio "${m[case]}" "${m[grepF]}")   (Ziel <= 1.5, Pflicht <= 3)"
echo "ohne Beachtung / grep -F -i       = $(ratio "${m[nocase]}" "${m[grepFi]}")   (Ziel <= 1.5, Pflicht <= 3)"
echo "Platzhalter / grep 'a.*b'         = $(ratio "${m[wild]}" "${m[grepRe]}")   (Ziel <= 5)"
echo "Dump Hexstring / grep -F (Bytes)  = $(ratio "${m[dump]}" "${m[grepHex]}")   (Ziel <= 1.5)"
echo "rückwärts / vorwärts = $(ratio "${m[backNocase]}" "${m[nocase]}") (Ziel <= 1.5)"
echo "rückwärts / vorwärts %FLAGS(C) = $(ratio "${m[backCase]}" "${m[case]}") (Ziel <= 1.5)"
echo "rückwärts / vorwärts %FLAGS(*) = $(ratio "${m[backWild]}" "${m[wild]}") (Ziel <= 1.5)"
