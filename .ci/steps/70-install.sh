#!/usr/bin/env bash
# `cmake --install` of the README's build into a fresh prefix, which is then
# moved: the installed vrel-host must run the demo from where it lands, with
# the panel files and the component of the install, never the source tree.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)

cmake --install build --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
host="$work/moved/bin/vrel-host"
[ "$("$host" --version)" = "$version" ] || { echo "vrel-host --version is not $version"; exit 1; }
# The newest release in the changelog is this version (changes not yet
# released are gathered under "## Unreleased" above it).
newest=$(grep '^## ' CHANGELOG.md | grep -v '^## Unreleased' | head -n1 | awk '{print $2}')
[ "$newest" = "$version" ] || { echo "CHANGELOG.md starts with $newest, the project is $version"; exit 1; }

help=$("$host" --help)
grep -qF "$work/moved/share/kelvane/panels" <<<"$help" || { echo "--help does not name the installed panel folder:"; echo "$help"; exit 1; }
if grep -qF "$PWD/host/panels" <<<"$help"; then echo "an installed vrel-host looks in the source tree"; exit 1; fi

# Run from elsewhere, so nothing can be found by the working directory either.
(cd "$work" && "$host" --demo >demo.out)
grep -qF "$work/moved/share/kelvane/panels/Selector.vrel_ui" "$work/demo.out" \
  || { echo "the demo did not load the installed panel files"; exit 1; }
echo "ok: installed tree (moved) runs the demo, vrel-host $version; installed files:"
(cd "$work/moved" && find . -type f | sort | sed 's/^/  /')
du -sh "$work/moved" | awk '{print "  total " $1}'
