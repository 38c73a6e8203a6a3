#!/usr/bin/env bash
# tervik-cli.exe in Wine and tervik-cli of the Linux build print the same "info"
# lines for the same files: plain and CR LF text, UTF-16 in both byte orders, UTF-8
# with a mark, fixed-length records, binary data, a file of many blocks and a limit
# from the end.
# Usage: compare-info.sh WINE TERVIK-CLI.EXE LINUX-TERVIK-CLI
set -euo pipefail
wine=$1 exe=$2 linux=$3
if [[ ! -x $linux ]]; then
  echo "Die Linux-Fassung $linux fehlt (scripts/build.sh baut sie)." >&2
  exit 1
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'eins\nzwei\n\tdrei\nvier' > "$dir/lf.txt"
printf 'eins\r\nzwei\r\n\r\nvier\r\n' > "$dir/crlf.txt"
printf '\xff\xfea\x00b\x00\r\x00\n\x00c\x00\n\x00' > "$dir/utf16le.txt"
printf '\xfe\xff\x00a\x00b\x00\n\x00\xe4\x00\n' > "$dir/utf16be.txt"
printf '\xef\xbb\xbfgr\xc3\xbc\xc3\x9fe\nwelt\n' > "$dir/utf8.txt"
for i in $(seq 1 100); do printf 'REC%05d-ABCDEFGH' "$i"; done > "$dir/fixed.dat"
head -c 200000 /dev/urandom > "$dir/binary.bin"
for i in $(seq 1 20000); do printf 'Zeile %d mit etwas Text\tund Tab\n' "$i"; done > "$dir/blocks.log"
cases=(
  "lf.txt"
  "crlf.txt"
  "utf16le.txt"
  "utf16be.txt"
  "utf8.txt"
  "fixed.dat --fixed 16"
  "binary.bin"
  "blocks.log"
  "blocks.log --limit 100 --from-end"
)
status=0
for c in "${cases[@]}"; do
  read -r name opts <<< "$c"
  # shellcheck disable=SC2086
  want=$("$linux" info "$dir/$name" $opts 2>&1) || true
  winpath="Z:${dir//\//\\}\\$name"
  # Wine now and then starts a program without running it: no output at all. That
  # is tried again; a real difference stays.
  got=""
  for _ in 1 2 3; do
    # shellcheck disable=SC2086
    got=$("$wine" "$exe" info "$winpath" $opts 2>&1) || true
    [[ -n $got ]] && break
  done
  if [[ $got != "$want" ]]; then
    echo "Unterschied bei info $name $opts:" >&2
    diff <(echo "$want") <(echo "$got") >&2 || true
    status=1
  else
    echo "gleich: info $name $opts"
  fi
done
exit $status
