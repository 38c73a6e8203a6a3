#!/usr/bin/env bash
# "Datei verfolgen" on a log growing by 10 MB/s for 10 s: the viewer's processor
# time (user + system) while it follows, less what cutting the same bytes costs
# alone (the refresh benchmark's sum over 1 MB pieces), as a share of one core; and
# how long an appended line takes to be painted. The viewer runs on the display of
# DISPLAY, else on an Xvfb of its own (FOLLOW_DISPLAY, default :97), else offscreen.
# RATE= MB/s and SECONDS_RUN= change the load.
set -euo pipefail
source "$(dirname "$0")/common.sh"
rate="${RATE:-10}"
secs="${SECONDS_RUN:-10}"
follow="$build/bench/tervik-bench-follow"
work="$data/follow"
mkdir -p "$work"
rm -f "$work"/follow.txt*
"$build/bench/tervik-genlog" "$work/follow.txt" 1000000

xvfb_pid=""
cleanup() { [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2> /dev/null || true; }
trap cleanup EXIT
platform="xcb"
if [[ -z ${DISPLAY:-} ]]; then
  if command -v Xvfb > /dev/null; then
    export DISPLAY="${FOLLOW_DISPLAY:-:97}"
    Xvfb "$DISPLAY" -screen 0 1600x1000x24 > /dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
  else
    platform="offscreen"
  fi
fi
echo "Datei verfolgen: $rate MB/s für $secs s, Anzeige: $platform ${DISPLAY:-}"

# The viewer follows a little longer than the writer writes.
QT_QPA_PLATFORM="$platform" /usr/bin/time -f "process-cpu-s: %U %S" \
  "$follow" "$work/follow.txt" "$((secs + 2))" > "$work/viewer.out" 2> "$work/viewer.err" &
viewer=$!
sleep 1
"$follow" --write "$work/follow.txt" "$rate" "$secs"
wait "$viewer"
out=$(cat "$work/viewer.out")
get() { sed -n "s/^$1: //p" <<< "$out"; }
wall=$(get follow-seconds)
cpu=$(get follow-cpu-s)
bytes=$(get follow-bytes)
process=$(sed -n 's/^process-cpu-s: //p' "$work/viewer.err" | awk '{ print $1 + $2 }')

# What cutting the same bytes costs without a window, in 1 MB pieces as the
# viewer's refreshes take them (about ten a second).
pieces=$(awk -v b="$bytes" 'BEGIN { printf "%d", b / 1048576 + 0.5 }')
rm -f "$work/base.txt"
"$build/bench/tervik-genlog" "$work/base.txt" 1000000
cut_ms=$("$build/bench/tervik-bench-refresh" "$work/base.txt" 1048576 "$pieces" 2> /dev/null |
  sed -n 's/^total-ms: //p')

# Shares are of the writer's seconds: the viewer idles before and after.
awk -v c="$cpu" -v w="$wall" -v s="$secs" -v k="$cut_ms" -v b="$bytes" -v p="$process" 'BEGIN {
  printf "gefolgt: %.1f MB, %d s geschrieben, %.1f s beobachtet\n", b / 1048576, s, w
  printf "Prozessorzeit beim Verfolgen: %.3f s (%.1f %% eines Kerns; ganzer Prozess mit Start: %.2f s)\n", c, 100 * c / s, p
  printf "davon Schneiden (ohne Fenster gemessen): %.3f s\n", k / 1000
  printf "Mehraufwand des Viewers: %.1f %% eines Kerns   (Ziel <= 15 %%)\n", 100 * (c - k / 1000) / s
}'
echo "Verzögerung bis eine angehängte Zeile gezeichnet ist: Median $(get latency-ms-median) ms, 95 % $(get latency-ms-p95) ms, höchstens $(get latency-ms-max) ms   (Ziel <= 600 ms)"
