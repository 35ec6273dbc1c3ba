#!/usr/bin/env bash
# kelvane.dll for 32-bit Windows, cross-built with mingw-w64 in both boundary
# layouts: build-mingw/kelvane.dll for a host built with Visual C++ (the
# default) and build-mingw/mingw-w64/kelvane.dll for one built with mingw-w64.
# Checks what the panel host sees of each: exactly one export,
# load_vrel_client_script, under that plain name; debug output through
# KERNEL32's OutputDebugStringA; no dependency on gcc's runtime DLLs, which a
# Windows site would not have; and the panel's vtable, read from the DLL, with
# notify where that host calls it.
set -euo pipefail
cmake -S . -B build-mingw \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-i686.cmake \
  -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_HOST=OFF
cmake --build build-mingw -j2

check_dll() {
  local dll=$1 headers exports imports dlls
  headers=$(objdump -p "$dll")
  exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF == 0 {on=0} on {print $NF}' <<<"$headers")
  if [ "$exports" != "load_vrel_client_script" ]; then
    echo "$dll must export only load_vrel_client_script, it exports:"; echo "$exports"; exit 1
  fi
  # Imported names, one "DLL function" pair a line.
  imports=$(awk '/DLL Name:/ {dll=$3; next} dll && /^\t[0-9a-f]+\t/ {print dll, $NF} /^$/ {dll=""}' <<<"$headers")
  grep -qx 'KERNEL32.dll OutputDebugStringA' <<<"$imports" \
    || { echo "$dll does not import OutputDebugStringA from KERNEL32.dll"; exit 1; }
  dlls=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort -u)
  if grep -qiE '^(libstdc\+\+|libgcc|libwinpthread)' <<<"$dlls"; then
    echo "$dll depends on gcc runtime DLLs:"; echo "$dlls"; exit 1
  fi
  echo "ok: $dll exports only load_vrel_client_script, imports:" $dlls
}

# check_slots DLL SLOT-LINES...: the panel vtable's first slots, as read from the DLL.
check_slots() {
  local dll=$1 slots expected
  shift
  slots=$(tools/vtable-slots.py "$dll" Kelvane $#)
  expected=$(printf '%s\n' "$@")
  [ "$slots" = "$expected" ] || { echo "$dll: unexpected panel vtable:"; echo "$slots"; echo "expected:"; echo "$expected"; exit 1; }
  echo "ok: $dll's panel vtable:" $(tr '\n' ';' <<<"$slots")
}

check_dll build-mingw/kelvane.dll
check_dll build-mingw/mingw-w64/kelvane.dll
# A Visual C++ host: slot 0 the scalar deleting destructor, slot 1 notify.
check_slots build-mingw/kelvane.dll \
  '0 vrel_client_callback::vrel_scalar_deleting_destructor(unsigned int)' \
  '1 vrel_script_helper::notify(void*, int)'
# A mingw-w64 host: gcc's two destructors, then notify.
check_slots build-mingw/mingw-w64/kelvane.dll \
  '0 Kelvane::~Kelvane() [complete]' '1 Kelvane::~Kelvane() [deleting]' '2 vrel_script_helper::notify(void*, int)'
# Both slots of the Visual C++ layout are thiscall: each pops its own
# arguments ("ret $0x4" for the flags, "ret $0x8" for notify's two).
code=$(objdump -d --no-show-raw-insn -C build-mingw/kelvane.dll)
check_pops() {
  local function=$1 pops=$2 body
  body=$(awk -v f="<$function>:" '$0 ~ /^[0-9a-f]+ </ {on = (index($0, f) > 0); next} on' <<<"$code")
  grep -qE "ret +\\\$$pops\$" <<<"$body" || { echo "$function does not pop its arguments (ret \$$pops):"; echo "$body" | head -40; exit 1; }
}
check_pops 'vrel_client_callback::vrel_scalar_deleting_destructor(unsigned int)' 0x4
check_pops 'vrel_script_helper::notify(void*, int)' 0x8
echo "ok: slots 0 and 1 of build-mingw/kelvane.dll pop their arguments (thiscall)"
