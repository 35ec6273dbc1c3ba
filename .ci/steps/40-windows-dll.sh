#!/usr/bin/env bash
# kelvane.dll for 32-bit Windows, cross-built with mingw-w64. Checks what the
# panel host sees of it: exactly one export, load_vrel_client_script, under that
# plain name; debug output through KERNEL32's OutputDebugStringA; and no
# dependency on gcc's runtime DLLs, which a Windows site would not have.
set -euo pipefail
cmake -S . -B build-mingw \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-i686.cmake \
  -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_HOST=OFF
cmake --build build-mingw -j2
dll=build-mingw/kelvane.dll
headers=$(objdump -p "$dll")

exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF == 0 {on=0} on {print $NF}' <<<"$headers")
if [ "$exports" != "load_vrel_client_script" ]; then
  echo "kelvane.dll must export only load_vrel_client_script, it exports:"; echo "$exports"; exit 1
fi

# Imported names, one "DLL function" pair a line.
imports=$(awk '/DLL Name:/ {dll=$3; next} dll && /^\t[0-9a-f]+\t/ {print dll, $NF} /^$/ {dll=""}' <<<"$headers")
grep -qx 'KERNEL32.dll OutputDebugStringA' <<<"$imports" \
  || { echo "kelvane.dll does not import OutputDebugStringA from KERNEL32.dll"; exit 1; }

dlls=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort -u)
if grep -qiE '^(libstdc\+\+|libgcc|libwinpthread)' <<<"$dlls"; then
  echo "kelvane.dll depends on gcc runtime DLLs:"; echo "$dlls"; exit 1
fi
echo "ok: kelvane.dll exports only load_vrel_client_script, imports:" $dlls
