#!/usr/bin/env bash
# The example script, copied out of the tree and built against the kit as
# installed from the README's build; then checked by the protocol validator
# and run in a short session by the installed vrel-host.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install build --prefix "$work/prefix" >/dev/null
cp -r examples/source_browser "$work/src"
cmake -S "$work/src" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/build" -j2
library="$work/build/libsource_browser.so"

exported=$(nm -D --defined-only "$library" | awk '{print $3}')
[ "$exported" = load_vrel_client_script ] || { echo "the example exports:"; echo "$exported"; exit 1; }

host="$work/prefix/bin/vrel-host"
"$host" --validate "$library" --repeat 2

out=$(cd "$work" && "$host" --script "$library" --panels "$work/build/panels" "$work/src/tour.txt")
# The drawings after two pages on and one back.
pages=$(grep -o '"Page [0-9]* of 16"' <<<"$out" | tr '\n' ' ')
[ "$pages" = '"Page 1 of 16" "Page 3 of 16" "Page 2 of 16" ' ] \
  || { echo "the example did not page as expected ($pages):"; echo "$out"; exit 1; }
echo "ok: the example builds against the installed kit, validates and pages"
