#!/usr/bin/env bash
# The whole suite once more with the boundary in the Visual C++ layout
# (-DKELVANE_HOST_ABI=msvc: slot 0 the scalar deleting destructor, slot 1
# notify, both thiscall), built for 32-bit x86 as in 30-i386.sh and run under
# qemu-i386. Every host of the project drives the component through that
# layout, and the C test host in tests/abi, which declares the layout itself
# without the project's headers, drives the component, the example script and
# a script deriving from the interface directly, measuring the stack around
# every call.
set -euo pipefail
dir=build-i386-msvc
cmake -S . -B "$dir" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i386-linux.cmake \
  -DKELVANE_GTEST_FROM_SOURCE=ON -DKELVANE_HOST_ABI=msvc
cmake --build "$dir" -j2
grep -q 'file format elf32-i386' <<<"$(objdump -f "$dir/libkelvane.so")" \
  || { echo "$dir did not produce a 32-bit library"; exit 1; }

# The panel's vtable as the host reads it: slot 0 the destructor slot, slot 1
# notify (after the offset to the top and the type information).
tools/vtable-slots.py "$dir/libkelvane.so" Kelvane 3 | tee "$dir/vtable.txt"
grep -qx '0 vrel_client_callback::vrel_scalar_deleting_destructor(unsigned int)' "$dir/vtable.txt" \
  && grep -qx '1 vrel_script_helper::notify(void\*, int)' "$dir/vtable.txt" \
  || { echo "the panel's vtable is not the Visual C++ layout"; exit 1; }

ctest --test-dir "$dir" -j2 --output-on-failure
# The Visual C++ layout host must have run, not been configured away.
ran=$(ctest --test-dir "$dir" -N -R '^visual_cpp_layout_' | grep -c 'Test *#')
[ "$ran" -ge 9 ] || { echo "only $ran tests of the Visual C++ layout host"; exit 1; }
echo "ok: 32-bit suite passed in the Visual C++ layout, $ran of its tests through the hand-written host"
