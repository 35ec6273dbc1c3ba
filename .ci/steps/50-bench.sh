#!/usr/bin/env bash
# The benchmarks, built in Release and run briefly: this proves that they build
# and that every floor still holds the component's exact conversation with the
# host (the program fails if one does not). Timings are printed, never judged.
set -euo pipefail
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release \
  -DKELVANE_BUILD_BENCH=ON -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_HOST=OFF
cmake --build build-bench -j2 --target kelvane-bench
./build-bench/kelvane-bench --benchmark_min_time=0.01
