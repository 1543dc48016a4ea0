#!/usr/bin/env bash
# Times whole processes, several rounds in turn, and prints median and range of each:
#   Oskelt32 making the sample sheet Ostrava (Sheet.YESK: window PNG and the printed PDF),
#   plain_sheet making the same from the same data (OGR read, Cairo PNG 640x480, 8 A4 pages),
#   Oskelt32 starting and quitting (Quit.YESK), plain_sheet only loading its libraries.
# Usage: bash scripts/sheet-timing.sh [ROUNDS] (after the build in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
# SAMPLES: another copy of samples/ (e.g. with a larger ostravsko.gpkg in its data/).
samples=${SAMPLES:-samples}
root=$(pwd)
rounds=${1:-7}
mkdir -p out
oskelt=$root/build/composer/Oskelt32
plain=$root/build/bench/plain_sheet
declare -A times
run() {  # name command...
  local name=$1
  shift
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  t1=$(date +%s%N)
  times[$name]+="$(((t1 - t0) / 1000000)) "
}
for ((i = 0; i < rounds; i++)); do
  run sheet bash -c "cd '$samples/oskelt32' && '$oskelt' Oskelt32.INI Sheet.YESK --answers sheet-answers.txt"
  run plain "$plain" "$samples/data/ostravsko.gpkg" -475000 -1120000 -450000 -1105000 out/plain.png 640 480 out/plain.pdf 4 2
  run quit bash -c "cd '$samples/oskelt32' && '$oskelt' Oskelt32.INI Quit.YESK --answers answers.txt"
  run libs "$plain"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg); $rounds rounds; wall ms: median (min-max)"
for name in sheet plain quit libs; do
  echo "${times[$name]}" | tr ' ' '\n' | grep . | sort -n |
    awk -v n="$name" '{ a[NR] = $1 } END { printf "%-6s %6d (%d-%d)\n", n, a[int((NR + 1) / 2)], a[1], a[NR] }'
done
