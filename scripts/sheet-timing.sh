#!/usr/bin/env bash
# Times whole processes, several rounds in turn, and prints median and range of each:
#   sheet   Oskelt32 making the sample sheet Ostrava (Sheet.YESK: window PNG and the printed PDF),
#   plain   plain_sheet making the same from the same data (OGR read, Cairo PNG of the map
#           window's 800 x 600, 8 A4 pages),
#   sheets  Oskelt32 making all twelve sheets of the sheet list in one run (AllSheets.YESK),
#   plain12 plain_sheet making the same twelve areas in one process,
#   durable, durable12  the same two, each file written as Oskelt32 writes it (flushed to
#           the disk before it is renamed; PLAIN_SHEET_DURABLE=1),
#   quit    Oskelt32 starting and quitting (Quit.YESK),
#   libs    libraries_only: loading the same outside libraries as Oskelt32 and ending.
# Then each further sheet, (twelve - one) / 11 of the wall times and of the CPU times.
# Usage: bash scripts/sheet-timing.sh [ROUNDS] (after the build in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
# SAMPLES: another copy of samples/ (e.g. with a larger ostravsko.gpkg in its data/).
samples=$(cd "${SAMPLES:-samples}" && pwd)
root=$(pwd)
rounds=${1:-7}
# Everything runs on a copy in a temporary folder: the sheets go to its out/.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$samples" "$work/samples"
samples=$work/samples
mkdir -p "$work/out"
oskelt=$root/build/composer/Oskelt32
plain=$root/build/bench/plain_sheet
libs=$root/build/bench/libraries_only
data=$samples/data/ostravsko.gpkg
# The baseline must load what Oskelt32 loads, but for the suite's own library.
loaded() { ldd "$1" | awk '{ print $1 }' | grep -v '^libKernel\.so' | sort; }
if ! diff <(loaded "$oskelt") <(loaded "$libs") >/dev/null; then
  echo "libraries_only does not load the same libraries as Oskelt32:"
  diff <(loaded "$oskelt") <(loaded "$libs") || true
  exit 1
fi
# The twelve sheets of the list: column and row of the 25 x 20 km grid, the window's
# 25 x 15 km of each as for the Ostrava sheet (column 18, row 55).
areas=()
for cr in "17 53" "18 53" "19 53" "17 54" "18 54" "19 54" "17 55" "18 55" "19 55" "17 56" "18 56" "19 56"; do
  read -r c r <<<"$cr"
  areas+=($((-(c + 1) * 25000)) $((-(r + 1) * 20000)) $((-c * 25000)) $((-(r + 1) * 20000 + 15000)))
done
declare -A times cpu
TIMEFORMAT='%3R %3U %3S'
run() {  # name folder command...
  local name=$1 dir=$2
  shift 2
  local r u s
  read -r r u s < <({ time (cd "$dir" && "$@" >/dev/null 2>&1 || true); } 2>&1)
  times[$name]+="$(awk -v r="$r" 'BEGIN { printf "%d", r * 1000 }') "
  cpu[$name]+="$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%d", (u + s) * 1000 }') "
}
for ((i = 0; i < rounds; i++)); do
  run sheet "$samples/oskelt32" "$oskelt" Oskelt32.INI Sheet.YESK --answers sheet-answers.txt
  run plain "$work/out" "$plain" "$data" -475000 -1120000 -450000 -1105000 plain.png 800 600 plain.pdf 4 2
  run sheets "$samples/oskelt32" "$oskelt" Oskelt32.INI AllSheets.YESK --answers all-sheets-answers.txt
  run plain12 "$work/out" "$plain" "$data" "${areas[@]:0:4}" plain.png 800 600 plain.pdf 4 2 "${areas[@]:4}"
  run durable "$work/out" env PLAIN_SHEET_DURABLE=1 "$plain" "$data" -475000 -1120000 -450000 -1105000 plain.png 800 600 plain.pdf 4 2
  run durable12 "$work/out" env PLAIN_SHEET_DURABLE=1 "$plain" "$data" "${areas[@]:0:4}" plain.png 800 600 plain.pdf 4 2 "${areas[@]:4}"
  run quit "$samples/oskelt32" "$oskelt" Oskelt32.INI Quit.YESK --answers answers.txt
  run libs "$work/out" "$libs"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg); $rounds rounds; ms: median (min-max) of wall time, then of CPU time (user + system)"
median() {  # list: median min max
  echo "$1" | tr ' ' '\n' | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)], a[1], a[NR] }'
}
for name in sheet plain sheets plain12 durable durable12 quit libs; do
  read -r m lo hi <<<"$(median "${times[$name]}")"
  read -r cm clo chi <<<"$(median "${cpu[$name]}")"
  printf "%-8s %6d (%d-%d)   cpu %6d (%d-%d)\n" "$name" "$m" "$lo" "$hi" "$cm" "$clo" "$chi"
done
further() {  # twelve one [cpu]: ms per further sheet, of wall or CPU time
  local -n t=times
  [ "${3:-}" = cpu ] && local -n t=cpu
  read -r a _ <<<"$(median "${t[$1]}")"
  read -r b _ <<<"$(median "${t[$2]}")"
  awk -v a="$a" -v b="$b" 'BEGIN { printf "%.1f", (a - b) / 11 }'
}
echo "each further sheet: Oskelt32 $(further sheets sheet) ms, plain_sheet $(further plain12 plain) ms, durable $(further durable12 durable) ms"
echo "  of CPU time: Oskelt32 $(further sheets sheet cpu) ms, plain_sheet $(further plain12 plain cpu) ms, durable $(further durable12 durable cpu) ms"
