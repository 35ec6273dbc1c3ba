#!/usr/bin/env bash
# Runs each libFuzzer program for a bounded time (FUZZ_SECONDS, default 60),
# built with clang, AddressSanitizer and UBSan in build-fuzz/. The repository's
# corpus seeds each run; what a run adds stays in build-fuzz/, never in the tree.
# A crash, a sanitizer report or a broken property fails the step and leaves
# the input in build-fuzz/findings/: add it to fuzz/corpus/<name>/ with the
# fix, and the replay under CTest keeps it fixed.
set -euo pipefail
seconds="${FUZZ_SECONDS:-60}"
export ASAN_OPTIONS="detect_leaks=1:alloc_dealloc_mismatch=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

CXX=clang++ cmake -S . -B build-fuzz -DKELVANE_SANITIZE=ON -DKELVANE_LIBFUZZER=ON \
  -DKELVANE_BUILD_HOST=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
fuzzers=(parsed_command decode_vrel_string panel)
cmake --build build-fuzz -j2 --target "${fuzzers[@]/#/fuzz_}"

mkdir -p build-fuzz/findings
for name in "${fuzzers[@]}"; do
  work="build-fuzz/corpus/${name}"
  mkdir -p "$work"
  log="build-fuzz/fuzz_${name}.log"
  echo "-- fuzz_${name}: ${seconds} s"
  if ! build-fuzz/fuzz/fuzz_"${name}" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/${name}-" "$work" "fuzz/corpus/${name}" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_${name} found a fault; the input is in build-fuzz/findings/"
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log"
done
