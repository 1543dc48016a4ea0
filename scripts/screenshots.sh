#!/usr/bin/env bash
# Makes the screenshots of docs/ again: Oskelt32 on the samples under Qt's offscreen
# platform, its main window beside a map window with the sample sheet, and its key map.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "${JOBS:-3}" --target composer_screen_tests
QT_QPA_PLATFORM=offscreen build/composer/composer_screen_tests
cp build/composer/screenshots/oskelt32-main-and-map-window.png build/composer/screenshots/oskelt32-key-map.png docs/
ls -l docs/oskelt32-*.png
