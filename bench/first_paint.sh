#!/usr/bin/env bash
# Start to the first painted text: the viewer on a small log, the 1 GB log and a 10 GB
# log, ended by its first paint that shows text (TERVIK_EXIT_AFTER_FIRST_PAINT). Both
# the wall time measured here and the time the viewer reports (from its process
# start, as the kernel records it) are given, medians of the runs.
# Offscreen by default; XVFB=1 runs the viewer on an Xvfb (XVFB_DISPLAY, default :98;
# one already running there is used). SMALL=, SIZE=, SIZE10= change the file sizes
# (SIZE=0 or SIZE10=0 leaves that file out).
# The settings file is a fresh one of this run: "erster Start" starts each time with
# nothing but the font; the other lines with what such a start has written.
set -euo pipefail
source "$(dirname "$0")/common.sh"
viewer="$build/tervik"
small="${SMALL:-20000}"
size1="${SIZE:-1000000000}"
size10="${SIZE10:-10000000000}"

work=$(mktemp -d "${TMPDIR:-/tmp}/tervik-first-paint.XXXXXX")
xvfb_pid=""
cleanup() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

platform="offscreen"
if [[ ${XVFB:-0} == 1 ]]; then
  platform="xcb"
  export DISPLAY="${XVFB_DISPLAY:-:98}"
  if [[ ! -e /tmp/.X11-unix/X${DISPLAY#:} ]]; then
    Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp > /dev/null 2>&1 &
    xvfb_pid=$!
    for ((i = 0; i < 50; i++)); do
      [[ -e /tmp/.X11-unix/X${DISPLAY#:} ]] && break
      sleep 0.1
    done
  fi
fi

printf '[Settings]\nFontName=Liberation Mono\n' > "$work/fresh.ini"

# run_once INI FILE -> "wall seconds" "reported seconds"
run_once() {
  cp "$1" "$work/run.ini"
  local t0 t1 ms
  t0=$(date +%s%N)
  TERVIK_EXIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM="$platform" timeout 600 \
    "$viewer" --ini "$work/run.ini" "$2" > /dev/null 2> "$work/err" || true
  t1=$(date +%s%N)
  ms=$(sed -n 's/^first-paint-ms: //p' "$work/err")
  if [[ -z $ms ]]; then
    echo "Kein erstes Bild mit Text für $2:" >&2
    cat "$work/err" >&2
    exit 1
  fi
  awk -v a="$t0" -v b="$t1" -v m="$ms" 'BEGIN { printf "%.4f %.4f\n", (b - a) / 1e9, m / 1000 }'
}

# measure LABEL INI FILE: one line with both medians
measure() {
  local wall=() said=() out w s
  for ((i = 0; i < runs; i++)); do
    out=$(run_once "$2" "$3") || exit 1
    read -r w s <<< "$out"
    wall+=("$w")
    said+=("$s")
  done
  printf '%-34s %8s s %8s s   (Ziel <= 0.3 s)\n' "$1" \
    "$(printf '%s\n' "${wall[@]}" | median)" "$(printf '%s\n' "${said[@]}" | median)"
}

small_file=$(bench_file "$small")
# What a first start writes into the settings, for the starts after it.
cp "$work/fresh.ini" "$work/used.ini"
run_once "$work/used.ini" "$small_file" > /dev/null || exit 1
cp "$work/run.ini" "$work/used.ini"

echo "Erstes Bild mit Text, Anzeige: $platform ${DISPLAY:-}, $runs Läufe, Mediane"
printf '%-34s %10s %10s\n' "" "Wanduhr" "gemeldet"
measure "klein ($small Bytes), erster Start" "$work/fresh.ini" "$small_file"
measure "klein ($small Bytes)" "$work/used.ini" "$small_file"
for size in "$size1" "$size10"; do
  [[ $size -gt 0 ]] || continue
  label="$(awk -v s="$size" 'BEGIN { printf "%.3g GB", s / 1e9 }') ($size Bytes)"
  if [[ ! -f "$data/log-$size.txt" ]]; then
    free=$(df --output=avail -B1 "$data" | tail -1)
    if ((free < size + 2000000000)); then
      printf '%-34s übersprungen: %s Bytes frei in %s\n' "$label" "$free" "$data"
      continue
    fi
  fi
  measure "$label" "$work/used.ini" "$(bench_file "$size")"
done
