#!/usr/bin/env bash
# Builds the suite and runs the main job on samples/: Oskelt32 runs the start script
# samples/oskelt32/Sheet.YESK, which makes the sheets marked in the key map (the saved
# selection samples/oskelt32/Select.ZRX) as printed map sheets in out/ and quits.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh
t0=$(date +%s.%N)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
t1=$(date +%s.%N)
# The start script names the selection file, template and output folder in its first lines.
(cd samples/oskelt32 && "$root/build/composer/Oskelt32" Oskelt32.INI Sheet.YESK --answers sheet-answers.txt)
t2=$(date +%s.%N)
awk -v a="$t0" -v b="$t1" -v c="$t2" 'BEGIN { printf "run: build %.1f s, Oskelt32 %.1f s\n", b - a, c - b }'
echo "run: the map sheet is in $root/out:"
ls -l "$root/out"
