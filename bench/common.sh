# Shared by the benchmark scripts: build, input file, timing helpers.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TERVIK_BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
cli="$build/tervik-cli"
data="${TERVIK_BENCH_DIR:-/tmp/tervik-bench}"
mkdir -p "$data"
runs="${RUNS:-5}"

# bench_file SIZE_BYTES -> path of a generated log of that size (made once).
bench_file() {
  local f="$data/log-$1.txt"
  [[ -f "$f" && $(stat -c %s "$f") -eq $1 ]] || "$build/bench/tervik-genlog" "$f" "$1"
  cat "$f" > /dev/null   # into the page cache: every tool gets the same start
  echo "$f"
}

# seconds COMMAND... -> wall time of one run in seconds (output discarded)
seconds() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" > /dev/null 2>&1
  t1=$(date +%s%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }'
}

# median of the numbers on stdin
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.4f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
