#!/usr/bin/env bash
# Makes the screenshots of docs/ again on Qt's offscreen platform with the samples:
# Oskelt32's main window beside a map window with the sample sheet, its key map with marked
# sheets, the template editor with the sample template and the property editor; Tarvine32's
# main window and the check-set editor with the sample set; Setup over its background window.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "${JOBS:-3}" --target composer_screen_tests checker_screen_tests setup_screen_tests
export QT_QPA_PLATFORM=offscreen
build/composer/composer_screen_tests
build/checker/checker_screen_tests --gtest_filter='*TheSampleSetFillsTheWindow:*TheMainWindow'
build/setup/setup_screen_tests
cp build/composer/screenshots/*.png build/checker/screenshots/*.png build/setup/screenshots/*.png docs/
ls -l docs/*.png
