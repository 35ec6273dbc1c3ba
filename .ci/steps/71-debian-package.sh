#!/usr/bin/env bash
# The Debian packages of the README's build: named with the project's version,
# with dependencies found by dpkg-shlibdeps; the component's package unpacked
# into a fresh root (dpkg -x, no installation needed) runs the demo from there.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
arch=$(dpkg --print-architecture)

rm -rf build/packages
(cd build && cpack -G DEB >/dev/null)
deb="build/packages/kelvane_${version}-1_${arch}.deb"
dev="build/packages/kelvane-dev_${version}-1_${arch}.deb"
for p in "$deb" "$dev"; do [ -f "$p" ] || { echo "missing package $p"; ls build/packages; exit 1; }; done

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6; do
  grep -q "$lib" <<<"$depends" || { echo "kelvane does not depend on $lib: $depends"; exit 1; }
done

dpkg -x "$deb" "$work/root"
[ "$("$work/root/usr/bin/vrel-host" --version)" = "$version" ] || { echo "unpacked vrel-host has another version"; exit 1; }
(cd "$work" && "$work/root/usr/bin/vrel-host" --demo >demo.out)
grep -qF "$work/root/usr/share/kelvane/panels/Selector.vrel_ui" "$work/demo.out" \
  || { echo "the unpacked demo did not use the package's panel files"; exit 1; }
echo "ok: packages built, the unpacked kelvane runs the demo"
echo "  Depends: $depends"
ls -l build/packages/*.deb | awk '{print "  " $NF ": " $5 " bytes"}'
