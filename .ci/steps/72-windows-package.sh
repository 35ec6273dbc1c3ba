#!/usr/bin/env bash
# Both kelvane.dll files carry a version record (from the mingw resource
# compiler) that agrees with the project's version and names the host each is
# for, and the Windows ZIP holds the Visual C++-layout DLL at the top, the
# mingw-w64 one in its folder, the example configuration and the deployment
# text. Uses build-mingw from the DLL step.
set -euo pipefail
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-mingw/CMakeCache.txt)
[ -f build-mingw/kelvane.dll ] && [ -f build-mingw/mingw-w64/kelvane.dll ] || cmake --build build-mingw -j2

check_record() {
  local dll=$1 host=$2 record
  grep -q '^ *[0-9]* \.rsrc' <<<"$(objdump -h "$dll")" || { echo "$dll has no resource section"; exit 1; }
  # The version record's strings are UTF-16: strings -el reads them.
  record=$(strings -el "$dll")
  for expected in "ProductName" "Kelvane" "FileDescription" "FileVersion" "$version" "kelvane.dll" \
                  "Kelvane UMD name editor script component, for $host"; do
    grep -qxF "$expected" <<<"$record" || { echo "$dll: version record lacks '$expected':"; echo "$record"; exit 1; }
  done
  echo "ok: $dll version record $version, for $host"
}
check_record build-mingw/kelvane.dll "a host built with Visual C++"
check_record build-mingw/mingw-w64/kelvane.dll "a host built with mingw-w64 (gcc)"

rm -rf build-mingw/packages
(cd build-mingw && cpack -G ZIP >/dev/null)
zip="build-mingw/packages/kelvane-${version}-win32.zip"
[ -f "$zip" ] || { echo "missing $zip"; ls build-mingw/packages; exit 1; }
listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 && $1 !~ /\/$/ {print $1}' | sort)
expected=$(printf '%s\n' CHANGELOG.md DEPLOY.txt config/velmorcast.ini kelvane.dll mingw-w64/kelvane.dll | sort)
[ "$listing" = "$expected" ] || { echo "the ZIP holds:"; echo "$listing"; echo "expected:"; echo "$expected"; exit 1; }

# The packaged DLLs are the layouts their places promise (cpack strips them:
# their version records tell them apart).
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
python3 -m zipfile -e "$zip" "$unpacked"
strings -el "$unpacked/kelvane.dll" | grep -qxF "Kelvane UMD name editor script component, for a host built with Visual C++" \
  || { echo "the ZIP's top kelvane.dll is not the Visual C++ layout"; exit 1; }
strings -el "$unpacked/mingw-w64/kelvane.dll" | grep -qxF "Kelvane UMD name editor script component, for a host built with mingw-w64 (gcc)" \
  || { echo "the ZIP's mingw-w64/kelvane.dll is not the mingw-w64 layout"; exit 1; }
echo "ok: $zip: $(stat -c %s "$zip") bytes, kelvane.dll for Visual C++ hosts, mingw-w64/kelvane.dll for mingw-w64 hosts"
