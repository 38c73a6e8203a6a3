#!/usr/bin/env bash
# Search and selection by text on a 1 GB UTF-8 log (byte-order mark; German, Polish and
# CJK words): tervik-cli find --all and select on the file decoded as UTF-8 (--utf8 on)
# against the same bytes read as single-byte text (--utf8 off, the pattern as those
# bytes show), and against grep -F on the same cached file. Times of the engines alone
# (--timing), grep's as wall time.
set -euo pipefail
source "$(dirname "$0")/common.sh"
size="${SIZE:-1000000000}"
file="$data/utf8-$size.txt"
[[ -f "$file" && $(stat -c %s "$file") -eq $size ]] || "$build/bench/tervik-genlog" "$file" "$size" --utf8
cat "$file" > /dev/null
scripts="$data/scripts"
mkdir -p "$scripts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The three cases: a name for the output, then per display the find pattern (UTF-8
# text, converted to cp1252 by the CLI) and the script's TEXT option (cp1252 bytes),
# and grep's options and text. "GÃ¶ran" is how the single-byte display shows the
# bytes of "Göran". Of "Gürkan", "GÜRKAN" and "gürkan" the single-byte display shows
# "GÃ¼rkan", "GÃœRKAN" and "gÃ¼rkan": "rkan", case ignored, is the text that finds
# the same lines there.
names=(ascii goeran guerkan)
declare -A findU findS textU textS grepOpt grepText
findU[ascii]='kassenabschluss'
findS[ascii]='kassenabschluss'
textU[ascii]='TEXT="kassenabschluss"'
textS[ascii]='TEXT="kassenabschluss"'
grepOpt[ascii]='-F -i'
grepText[ascii]='kassenabschluss'
findU[goeran]='%FLAGS(C)Göran'
findS[goeran]='%FLAGS(C)GÃ¶ran'
textU[goeran]=$'TEXT="G\xF6ran",MATCHCASE=YES'
textS[goeran]=$'TEXT="G\xC3\xB6ran",MATCHCASE=YES'
grepOpt[goeran]='-F'
grepText[goeran]='Göran'
findU[guerkan]='GÜRKAN'
findS[guerkan]='rkan'
textU[guerkan]=$'TEXT="G\xDCRKAN"'
textS[guerkan]='TEXT="rkan"'
grepOpt[guerkan]='-F -i'
grepText[guerkan]='GÜRKAN'
for n in "${names[@]}"; do
  printf 'SELECT LINE=*ALL,%s\r\n' "${textU[$n]}" > "$scripts/utf8-$n.terviks"
  printf 'SELECT LINE=*ALL,%s\r\n' "${textS[$n]}" > "$scripts/single-$n.terviks"
done

# find_all on|off PATTERN -> "<engine seconds> <hits>"
find_all() {
  local hits
  hits=$("$cli" find --all --timing --utf8 "$1" "$2" "$file" 2> "$work/err" | wc -l) || true
  printf '%s %s\n' "$(sed -n 's/^find-ms: //p' "$work/err" | awk '{ printf "%.4f", $1 / 1000 }')" "$hits"
}
# select_s on|off SCRIPT -> "<engine seconds> <selected lines>"
select_s() {
  "$cli" select --timing --utf8 "$1" "$2" "$file" > /dev/null 2> "$work/err"
  printf '%s %s\n' "$(sed -n 's/^select-ms: //p' "$work/err" | awk '{ printf "%.4f", $1 / 1000 }')" \
    "$(sed -n 's/ Zeilen sind selektiert//p' "$work/err" | tr -d '.')"
}

records=$("$cli" info --utf8 on "$file" | sed -n 's/^records: //p')
echo "Datei: $file ($size Bytes, $records Zeilen), $runs Läufe, Mediane"
declare -A t count
for ((i = 0; i < runs; i++)); do
  for n in "${names[@]}"; do
    # grep in a UTF-8 locale, so -i folds Ü and ü; into a file, since GNU grep stops
    # at the first match when its output is /dev/null.
    t[grep-$n]+="$(seconds env LC_ALL=C.UTF-8 sh -c 'grep $1 -c "$2" "$3" > "$4"' sh \
      "${grepOpt[$n]}" "${grepText[$n]}" "$file" "$work/count") "
    count[grep-$n]=$(cat "$work/count")
    for d in utf8 single; do
      onoff=on findP=${findU[$n]}
      [[ $d == single ]] && onoff=off findP=${findS[$n]}
      read -r s h <<< "$(find_all "$onoff" "$findP")"
      t[find-$d-$n]+="$s "
      count[find-$d-$n]=$h
      read -r s h <<< "$(select_s "$onoff" "$scripts/$d-$n.terviks")"
      t[select-$d-$n]+="$s "
      count[select-$d-$n]=$h
    done
  done
done
med() { printf '%s\n' $1 | median; }

printf '%-34s %9s %9s %9s %11s %11s %8s\n' "Fall" "UTF-8 s" "1-Byte s" "grep s" "UTF-8/1-Byte" "UTF-8/grep" "Treffer"
worst=0
for n in "${names[@]}"; do
  g=$(med "${t[grep-$n]}")
  for op in find select; do
    u=$(med "${t[$op-utf8-$n]}")
    s=$(med "${t[$op-single-$n]}")
    r=$(ratio "$u" "$s")
    worst=$(awk -v a="$worst" -v b="$r" 'BEGIN { print (b > a ? b : a) }')
    printf '%-34s %9s %9s %9s %11s %11s %8s\n' "$op ${findU[$n]}" "$u" "$s" "$g" "$r" "$(ratio "$u" "$g")" \
      "${count[$op-utf8-$n]}/${count[$op-single-$n]}/${count[grep-$n]}"
  done
done
echo "(Treffer: UTF-8 / 1-Byte / grep -c; find zählt Treffer, select und grep Zeilen)"
echo "schlechtestes UTF-8/1-Byte = $worst   (Ziel <= 1.5)"
