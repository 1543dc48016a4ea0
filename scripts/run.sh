#!/usr/bin/env bash
# Builds the suite and runs the main job on samples/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
# Oskelt32 on the samples' set-up: its start script runs the job and quits.
cd samples/oskelt32
../../build/composer/Oskelt32 Oskelt32.INI Quit.YESK --answers answers.txt
