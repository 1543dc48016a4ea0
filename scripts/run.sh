#!/usr/bin/env bash
# Builds the suite and runs a job on samples/:
#   bash scripts/run.sh         Oskelt32 runs samples/oskelt32/Sheet.YESK, which makes the
#                               sheets marked in the key map (the saved selection
#                               samples/oskelt32/Select.ZRX) as printed map sheets in out/;
#   bash scripts/run.sh check   Tarvine32 runs samples/tarvine32/Check.YESK, which runs the
#                               check set over samples/data/ into out/protocol.txt and quits;
#   bash scripts/run.sh check faults   the same with the check set of the sample with faults.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
job=${1:-sheet}
bash scripts/setup.sh
t0=$(date +%s.%N)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
t1=$(date +%s.%N)
mkdir -p out
if [ "$job" = check ]; then
  # The check set and the data folder are the options INE and DataDirectory of the ini file.
  ini=Tarvine32.INI
  if [ "${2:-}" = faults ]; then ini=Chyby.INI; fi
  (cd samples/tarvine32 && "$root/build/checker/Tarvine32" "$ini" Check.YESK --answers answers.txt)
  t2=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" -v c="$t2" 'BEGIN { printf "run: build %.1f s, Tarvine32 %.2f s\n", b - a, c - b }'
  echo "run: the protocol is $root/out/protocol.txt (Windows-1250); its summary:"
  iconv -f CP1250 -t UTF-8 out/protocol.txt | tr -d '\r' |
    grep -E '^  [^ ]|Kontrola Adres|^ O\.K\.|^Chyb|^Navíc|bylo testováno|Z toho chybných|^   [0-9]+ \.\.\.\. |nalezl|nezaplochovaných'
  exit 0
fi
# The start script names the selection file, template and output folder in its first lines.
(cd samples/oskelt32 && "$root/build/composer/Oskelt32" Oskelt32.INI Sheet.YESK --answers sheet-answers.txt)
t2=$(date +%s.%N)
awk -v a="$t0" -v b="$t1" -v c="$t2" 'BEGIN { printf "run: build %.1f s, Oskelt32 %.1f s\n", b - a, c - b }'
echo "run: the map sheet is in $root/out:"
ls -l "$root/out"
