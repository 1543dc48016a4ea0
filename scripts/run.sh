#!/usr/bin/env bash
# Builds the suite and runs the main job on samples/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
echo "The programs Oskelt32 and Tarvine32 are not built yet; the library Kernel is in build/kernel."
