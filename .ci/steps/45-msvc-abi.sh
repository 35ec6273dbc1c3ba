#!/usr/bin/env bash
# The project as Visual C++ on 32-bit Windows would build it, as far as this
# machine can: configured through CMake's MSVC code paths and compiled with
# clang-cl (the Microsoft C++ ABI: its vtable layout, name mangling and
# dllexport), the version record with llvm-rc. Visual C++'s headers and
# libraries cannot be had here: mingw-w64's headers stand in, and nothing is
# linked (cmake/toolchains/clang-cl-msvc-abi.cmake). Checks that the component
# exports its entry and puts the destructor and notify in the slots a Visual
# C++ host calls, and that a host compiled with /Gz calls the entry as the C
# function it is. A real Visual C++ build is the CMake preset msvc-win32.
set -euo pipefail
dir=build-msvc-abi
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/clang-cl-msvc-abi.cmake \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build "$dir" -j2 --target kelvane vrel_script_kit

objects="$dir/panel/CMakeFiles/kelvane.dir"
# objdump -s prints 16 bytes a line, their characters from column 44.
directive=$(objdump -s -j .drectve "$objects/load_vrel_client_script.cpp.obj" \
  | awk '/^ [0-9a-f][0-9a-f][0-9a-f][0-9a-f] / {printf "%s", substr($0, 44)}')
# x86 cdecl decorates the name with "_"; the linker exports it plain.
grep -qE '(^| )/EXPORT:_load_vrel_client_script( |$)' <<<"$directive" \
  || { echo "no dllexport of load_vrel_client_script: '$directive'"; exit 1; }

record=$(strings -el "$objects/__/generated/kelvane-native.rc.res")
grep -qxF "ProductName" <<<"$record" || { echo "llvm-rc made no version record"; exit 1; }
# Visual C++'s own layout is the one a Visual C++ host calls, and the record says so.
grep -qxF "Kelvane UMD name editor script component, for a host built with Visual C++" <<<"$record" \
  || { echo "the version record does not name the Visual C++ host:"; echo "$record"; exit 1; }

# The compile command of startup.cpp (which emits the panel's vtable), run
# again with the layout printed.
layout=$(python3 - "$dir/compile_commands.json" <<'PY' | grep -A3 "^VFTable for 'vrel_client_callback' in 'vrel_script_helper' in 'Kelvane'"
import json, shlex, subprocess, sys
entry = next(e for e in json.load(open(sys.argv[1])) if e["file"].endswith("panel/startup.cpp"))
args = [a for a in shlex.split(entry["command"]) if not a.startswith("/Fo")]
at = args.index("--") if "--" in args else len(args) - 1
args[at:at] = ["-Xclang", "-fdump-vtable-layouts", "/Fo/dev/null"]
sys.exit(subprocess.run(args, cwd=entry["directory"]).returncode)
PY
)
slots=$(awk '/^ +[0-9]+ \|/ && !/RTTI/ {sub(/^ +[0-9]+ \| /, ""); print}' <<<"$layout" | head -n 2)
expected=$'Kelvane::~Kelvane() [scalar deleting]\nvoid *vrel_script_helper::notify(void *, int)'
[ "$slots" = "$expected" ] || { echo "unexpected vtable for a Visual C++ host:"; echo "$layout"; exit 1; }
# A host compiled with /Gz, where a function that states no convention is
# stdcall: it includes the public header and calls the entry through its
# pointer type, and compiles only if both say __cdecl (tests/windows/gz_host.cpp).
# The Windows test hosts are linked too; 74-windows-wine.sh runs them.
tests/windows/build-hosts.sh "$dir/windows-hosts" >/dev/null

echo "ok: configured and compiled for Visual C++ (clang-cl); dllexport of the entry; version record;"
echo "    the host's slot 0 destroys, slot 1 is notify; a /Gz host calls the entry as cdecl"
