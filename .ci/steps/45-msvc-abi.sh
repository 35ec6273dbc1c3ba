#!/usr/bin/env bash
# The component's sources compiled for the Visual C++ ABI, as far as this
# machine can: clang with target i686-pc-windows-msvc (the Microsoft C++ ABI:
# its vtable layout and name mangling; _WIN32 and _MSC_VER defined), objects
# only. Visual C++'s own headers and libraries cannot be had here, so
# mingw-w64's C and C++ library headers stand in for them, which needs clang's
# GNU mode (__GNUC__ stays defined), and nothing is linked. This shows that the
# sources' Windows branches compile for that ABI and that the export and the
# vtable come out as a Visual C++ host expects; it does not replace a build
# with cl.exe (CMake preset msvc-win32, on Windows).
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cxx=$(ls -d /usr/lib/gcc/i686-w64-mingw32/*-win32/include/c++ | sort -V | tail -n 1)
flags=(--target=i686-pc-windows-msvc -std=c++17 -fno-ms-compatibility -Wall -Wextra
  -nostdinc -isystem "$cxx" -isystem "$cxx/i686-w64-mingw32"
  -isystem /usr/i686-w64-mingw32/include -isystem "$(clang++ -print-resource-dir)/include"
  # What the mingw headers expect from their own compiler, given by hand.
  -D_X86_ -D__restrict__=__restrict -D_ALLOCA_S_MARKER_SIZE=8
  -Ihostlib -Iruntime -Ipanel)

count=0
for source in hostlib/*.cpp runtime/*.cpp panel/*.cpp; do
  object="$work/$(basename "$source" .cpp).obj"
  clang++ "${flags[@]}" -c "$source" -o "$object" -Xclang -fdump-vtable-layouts >"$work/$(basename "$source").layout"
  count=$((count + 1))
done

# The export: a dllexport directive for the plain C name (x86 cdecl: "_name",
# which the linker exports as "load_vrel_client_script").
# objdump -s prints 16 bytes a line, their characters from column 44.
directive=$(objdump -s -j .drectve "$work/load_vrel_client_script.obj" | awk '/^ [0-9a-f][0-9a-f][0-9a-f][0-9a-f] / {printf "%s", substr($0, 44)}')
grep -qE '(^| )/EXPORT:_load_vrel_client_script( |$)' <<<"$directive" \
  || { echo "no dllexport of load_vrel_client_script in MSVC mode: $directive"; exit 1; }

# The host calls slot 0 to destroy and slot 1 to notify.
layout=$(grep -h -A3 "^VFTable for 'vrel_client_callback' in 'vrel_script_helper' in 'Kelvane'" "$work"/startup.cpp.layout)
slots=$(awk '/^ +[0-9]+ \|/ && !/RTTI/ {sub(/^ +[0-9]+ \| /, ""); print}' <<<"$layout" | head -n 2)
expected=$'Kelvane::~Kelvane() [scalar deleting]\nvoid *vrel_script_helper::notify(void *, int)'
[ "$slots" = "$expected" ] || { echo "unexpected vtable in MSVC mode:"; echo "$layout"; exit 1; }
echo "ok: $count sources compile in MSVC mode; one dllexport; destructor in slot 0, notify in slot 1"
