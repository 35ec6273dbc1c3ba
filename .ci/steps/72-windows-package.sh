#!/usr/bin/env bash
# kelvane.dll's version record (from the mingw resource compiler) agrees with
# the project's version, and the Windows ZIP holds the DLL, the example
# configuration and the deployment text. Uses build-mingw from the DLL step.
set -euo pipefail
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-mingw/CMakeCache.txt)
dll=build-mingw/kelvane.dll
[ -f "$dll" ] || cmake --build build-mingw -j2

grep -q '^ *[0-9]* \.rsrc' <<<"$(objdump -h "$dll")" || { echo "kelvane.dll has no resource section"; exit 1; }
# The version record's strings are UTF-16: strings -el reads them.
record=$(strings -el "$dll")
for expected in "ProductName" "Kelvane" "FileDescription" "FileVersion" "$version" "kelvane.dll"; do
  grep -qxF "$expected" <<<"$record" || { echo "version record lacks '$expected':"; echo "$record"; exit 1; }
done

rm -rf build-mingw/packages
(cd build-mingw && cpack -G ZIP >/dev/null)
zip="build-mingw/packages/kelvane-${version}-win32.zip"
[ -f "$zip" ] || { echo "missing $zip"; ls build-mingw/packages; exit 1; }
listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 && $1 !~ /\/$/ {print $1}' | sort)
expected=$(printf '%s\n' CHANGELOG.md DEPLOY.txt config/velmorcast.ini kelvane.dll | sort)
[ "$listing" = "$expected" ] || { echo "the ZIP holds:"; echo "$listing"; echo "expected:"; echo "$expected"; exit 1; }
echo "ok: kelvane.dll version record $version; $zip: $(stat -c %s "$zip") bytes"
