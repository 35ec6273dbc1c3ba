#!/usr/bin/env bash
# The Windows ZIP's DLLs, run in 32-bit Windows processes under Wine (whose
# 32-bit loader runs under qemu-i386 on this kernel), by hosts a compiler lays
# out (tests/windows):
#  - the clang-cl host (Visual C++'s ABI) replays every golden transcript of the
#    component and runs seeded storms against the ZIP's kelvane.dll, reading
#    the DLL's debug output in-process; the mingw-w64 host (gcc's ABI) does the
#    same with the ZIP's mingw-w64/kelvane.dll;
#  - each host tells the other layout's DLL by its version record and refuses
#    it (exit status 3) before calling it;
#  - the configuration is read as docs/windows.md says: config\velmorcast.ini
#    under the working folder (the transcripts' name driver, device 60), or the
#    folder VREL_CONFIG_DIR names (a file saved by Notepad: device 73), also
#    when the host sets it in its own process;
#  - a host compiled with /Gz (stdcall by default) calls the entry correctly;
#  - a test build whose first large allocation fails: the exception is caught
#    inside the DLL and the script goes on, also when the host had loaded gcc's
#    shared runtime (libgcc_s_dw2-1.dll) first.
# Uses the ZIP of 72-windows-package.sh, made here when missing. The Wine
# prefix is made once, in build-wine/prefix, and kept.
set -euo pipefail
started=$SECONDS
work=build-wine
zip_of() { echo "build-mingw/packages/kelvane-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-mingw/CMakeCache.txt)-win32.zip"; }
if [ ! -f build-mingw/CMakeCache.txt ] || [ ! -f "$(zip_of)" ]; then
  bash .ci/steps/40-windows-dll.sh >/dev/null
  bash .ci/steps/72-windows-package.sh
fi
zip=$(zip_of)

# The test build whose first allocation of 60000 bytes or more fails.
fail_bytes=60000
cmake -S . -B build-mingw -DKELVANE_FAIL_ONE_ALLOCATION=$fail_bytes >/dev/null
cmake --build build-mingw -j2 --target kelvane_fail_one_allocation >/dev/null
tests/windows/build-hosts.sh "$work/hosts" >/dev/null

# The run folder: the ZIP as a site unpacks it, the hosts beside it.
run="$work/run"
rm -rf "$run"
python3 -m zipfile -e "$zip" "$run"
cp "$work"/hosts/*.exe "$run/"
mkdir "$run/fail-one-allocation" "$run/site-config"
cp build-mingw/fail-one-allocation/kelvane.dll "$run/fail-one-allocation/"
cp "$(i686-w64-mingw32-gcc -print-file-name=libgcc_s_dw2-1.dll)" "$run/"
# The component's transcripts (protocol_errors.golden is another script's).
goldens=()
for golden in tests/host/scenarios/*.golden; do
  [ "$(basename "$golden")" = protocol_errors.golden ] && continue
  cp "$golden" "$run/"
  [ "$(basename "$golden")" = startup.golden ] && continue
  goldens+=(--transcript "$(basename "$golden")")
done
# As Notepad saves it: a byte-order mark and CRLF line ends.
printf '\xEF\xBB\xBF; saved by Notepad\r\n[StA_UMD_Names_DriverID]\r\nvalue=73\r\n' >"$run/site-config/velmorcast.ini"

tools/qemu-i386-binfmt.sh
export WINEPREFIX="$PWD/$work/prefix" WINEARCH=win32 WINEDEBUG=-all QEMU_RESERVED_VA=0x81000000
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX (once)"
  WINEDLLOVERRIDES="mscoree,mshtml=" timeout 600 wineboot --init >/dev/null 2>&1 || true
  timeout 120 wineserver -w || true
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot made no prefix in $WINEPREFIX"; exit 1; }
fi
# No Mono, no Gecko, no prefix update at each start; and no debugger for a
# program that crashes, which would wait for someone instead of ending it.
export WINEDLLOVERRIDES="mscoree,mshtml=;wineboot.exe=d;winedbg.exe=d"
unset VREL_CONFIG_DIR
# One Wine server for all the runs, ended whatever happens. A server of this
# prefix may still run (making the prefix leaves its services running for a
# while): it is ended first, or a second one would not start.
wineserver -k 2>/dev/null || true
timeout 60 wineserver -w || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

# run_host EXPECTED_STATUS PATTERN PROGRAM ARGS...: runs PROGRAM in the run
# folder under Wine; its status must be EXPECTED_STATUS and its output hold PATTERN.
run_host() {
  local expected=$1 pattern=$2 status=0 output
  shift 2
  echo "-- wine $*"
  output=$(cd "$run" && timeout 300 wine "$@" 2>&1) || status=$?
  echo "$output" | tr -d '\r'
  [ "$status" -eq "$expected" ] || { echo "exit status $status, expected $expected"; exit 1; }
  grep -qE "$pattern" <<<"$output" || { echo "the output lacks: $pattern"; exit 1; }
}

storms=(--rounds 2 --events 2000)
all_passed='cases passed'
run_host 0 "$all_passed" windows_host_msvc.exe kelvane.dll --startup startup.golden "${goldens[@]}" "${storms[@]}"
run_host 0 "$all_passed" windows_host_gcc.exe mingw-w64/kelvane.dll --startup startup.golden "${goldens[@]}" "${storms[@]}"
run_host 3 'take the other DLL' windows_host_msvc.exe mingw-w64/kelvane.dll --startup startup.golden
run_host 3 'take the other DLL' windows_host_gcc.exe kelvane.dll --startup startup.golden
site_config="Z:$(tr / '\\' <<<"$PWD/$run/site-config")"
VREL_CONFIG_DIR="$site_config" run_host 0 'pass  the configuration names device 73' \
  windows_host_msvc.exe kelvane.dll --rounds 0 --names-device 73
# The same folder named by the host in its own process while it runs.
run_host 0 'pass  the configuration names device 73' \
  windows_host_msvc.exe kelvane.dll --rounds 0 --names-device 73 --config-dir "$site_config"
run_host 0 '0 left the stack off' gz_host.exe kelvane.dll 200
for first in "" --load-libgcc-first; do
  run_host 0 "pass  an allocation of $fail_bytes bytes fails inside the DLL" \
    windows_host_msvc.exe fail-one-allocation/kelvane.dll --rounds 0 --fail-allocation $fail_bytes $first
done
echo "ok: the ZIP's DLLs ran under Wine with compiler-laid hosts in $((SECONDS - started)) s"
