#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (fuzzer, address and undefined-behaviour
# sanitizers) in build-fuzz/ and runs each one briefly on a copy of its seed corpus
# fuzz/corpus/NAME/ (target NAME_fuzz). Exits non-zero when a target finds a crash.
# A dictionary fuzz/NAME.dict is passed when there is one. A small quarantine and short
# allocation stacks keep the sanitizers' cost per run low.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
SECONDS_EACH=${FUZZ_SECONDS:-8}
FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

names=()
for dir in fuzz/corpus/*/; do
  [ -d "$dir" ] && names+=("$(basename "$dir")")
done
if ((${#names[@]} == 0)); then
  echo "fuzz: no corpus"
  exit 0
fi
targets=()
for n in "${names[@]}"; do targets+=("${n}_fuzz"); done

cmake -S . -B build-fuzz -G Ninja -DSUITE_FUZZ=ON -DSUITE_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$FLAGS" >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

status=0
mkdir -p build-fuzz/artifacts
for n in "${names[@]}"; do
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$n/." "$work/"
  echo "== fuzz $n (${SECONDS_EACH} s)"
  dict=()
  [ -f "fuzz/$n.dict" ] && dict=(-dict="$ROOT/fuzz/$n.dict")
  if ! ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=5 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$ROOT/build-fuzz/fuzz/${n}_fuzz" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$ROOT/build-fuzz/artifacts/${n}-" -print_final_stats=1 "${dict[@]}" "$work" 2>"$work.log"; then
    tail -n 60 "$work.log"
    echo "fuzz: $n failed (artifacts in build-fuzz/artifacts/)"
    status=1
  else
    grep -E "^(stat::number_of_executed_units|Done)" "$work.log" || true
  fi
  rm -rf "$work" "$work.log"
done
exit $status
