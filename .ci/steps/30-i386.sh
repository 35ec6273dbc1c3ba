#!/usr/bin/env bash
# The whole test suite built as the panel host's 32-bit program (-m32), where
# the record layouts are pinned byte for byte, and run under qemu-i386.
set -euo pipefail
cmake -S . -B build-i386 \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i386-linux.cmake \
  -DKELVANE_GTEST_FROM_SOURCE=ON
cmake --build build-i386 -j2
grep -q 'file format elf32-i386' <<<"$(objdump -f build-i386/libkelvane.so)" \
  || { echo "build-i386 did not produce a 32-bit library"; exit 1; }
ctest --test-dir build-i386 --output-on-failure
echo "ok: 32-bit suite passed"
