#!/usr/bin/env bash
# Installs what is missing, builds a normal and a sanitizer build and runs every test of both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS=$(nproc)
status=0
run_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
  (cd "$dir" && ctest --output-on-failure -j "$JOBS") || status=1
}
echo "== normal build"
run_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_build build-asan -DCMAKE_BUILD_TYPE=Debug -DSUITE_SANITIZE=ON -DSUITE_BENCH=OFF
if [ -x scripts/fuzz-smoke.sh ]; then
  echo "== fuzz smoke run"
  bash scripts/fuzz-smoke.sh || status=1
fi
exit $status
