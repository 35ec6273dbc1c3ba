#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer: any memory error, leak at exit, mismatched
# deallocator or undefined behaviour aborts the test that caused it.
set -euo pipefail
export ASAN_OPTIONS="detect_leaks=1:alloc_dealloc_mismatch=1:strict_string_checks=1:detect_stack_use_after_return=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake -S . -B build-asan -DKELVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-asan -j2
ctest --test-dir build-asan --output-on-failure
