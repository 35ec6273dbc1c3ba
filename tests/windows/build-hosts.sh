#!/usr/bin/env bash
# Builds the Windows test hosts into OUT (default build-wine/hosts), from the
# project's root:
#
#   windows_host_msvc.exe  windows_host.cpp with clang-cl for the Visual C++
#                          ABI, linked by lld-link against Debian's mingw-w64
#                          import libraries of KERNEL32, msvcrt and VERSION
#                          (no C runtime start-up, no C++ library: msvc_runtime.cpp)
#   windows_host_gcc.exe   the same source with mingw-w64's g++ (gcc's ABI)
#   gz_host.exe            gz_host.cpp with clang-cl /Gz (stdcall by default)
set -euo pipefail
out=${1:-build-wine/hosts}
mkdir -p "$out"
here=tests/windows
abi=tests/abi
shared_c=("$abi/case_report.c" "$abi/layout_host.c" "$abi/replay_case.c" "$abi/script_parent.c" "$abi/storm_case.c"
          "$abi/transcript_steps.c" "$abi/vc_records.c")
host_cpp=("$here/windows_host.cpp" "$here/compiled_calls.cpp" "$here/debug_texts.cpp")
mingw=/usr/i686-w64-mingw32
# clang-cl with mingw-w64's headers standing in for Visual C++'s (as in
# cmake/toolchains/clang-cl-msvc-abi.cmake), msvcrt's own printf family, and
# stack probes only for frames of 64 KiB or more (the stack is committed whole
# at start instead, /stack below).
clang_cl=(clang-cl-14 --target=i686-pc-windows-msvc /nologo /c /O1 /GS- /GR- /Gs65536 /W3 /WX
  -fno-ms-compatibility /X -imsvc "$mingw/include" -D_X86_ -D__restrict__=__restrict
  -D_ALLOCA_S_MARKER_SIZE=8 -D__USE_MINGW_ANSI_STDIO=0 -I . -I "$abi" -I "$here")
link=(lld-link /nologo /nodefaultlib /safeseh:no /subsystem:console /stack:0x200000,0x200000)
libs=("$mingw/lib/libkernel32.a" "$mingw/lib/libmsvcrt.a" "$mingw/lib/libversion.a")

objects=()
for source in "${host_cpp[@]}" "$here/msvc_runtime.cpp" "${shared_c[@]}"; do
  object="$out/msvc-$(basename "${source%.*}").obj"
  "${clang_cl[@]}" "/Fo$object" "$source"
  objects+=("$object")
done
"${link[@]}" /entry:windows_host_start "/out:$out/windows_host_msvc.exe" "${objects[@]}" "${libs[@]}"

"${clang_cl[@]}" /Gz "/Fo$out/gz_host.obj" "$here/gz_host.cpp"
"${clang_cl[@]}" "/Fo$out/gz-msvc_runtime.obj" "$here/msvc_runtime.cpp"
"${link[@]}" /entry:gz_host_start "/out:$out/gz_host.exe" "$out/gz_host.obj" "$out/gz-msvc_runtime.obj" "${libs[@]}"

for source in "${shared_c[@]}"; do
  i686-w64-mingw32-gcc -std=c11 -O1 -Wall -Wextra -Werror -c -I "$abi" -o "$out/gcc-$(basename "${source%.c}").o" "$source"
done
i686-w64-mingw32-g++ -std=c++17 -O1 -Wall -Wextra -Werror -I "$abi" -I "$here" -o "$out/windows_host_gcc.exe" \
  "${host_cpp[@]}" "$out"/gcc-*.o -static-libgcc -static-libstdc++ -lversion
echo "built $out/windows_host_msvc.exe $out/windows_host_gcc.exe $out/gz_host.exe"
