#!/usr/bin/env bash
# The example script, copied out of the tree and built against the kit as
# installed from the README's build; then checked by the protocol validator
# and run by the installed vrel-host with its own profile: from its build
# folder as it is, and from its source folder with --script naming the library.
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

# The drawings after two pages on and one back, and the script's own panel file.
expect_pages() {
  local what=$1 out=$2
  pages=$(grep -o '"Page [0-9]* of 16"' <<<"$out" | tr '\n' ' ')
  [ "$pages" = '"Page 1 of 16" "Page 3 of 16" "Page 2 of 16" ' ] \
    || { echo "the example did not page as expected $what ($pages):"; echo "$out"; exit 1; }
  grep -q "^> PS '1' '$3/Browser.vrel_ui'$" <<<"$out" \
    || { echo "the example did not load its panel from $3 $what:"; echo "$out"; exit 1; }
}
out=$(cd "$work" && "$host" --profile "$work/build/profile.json" --demo)
expect_pages "with the profile of its build folder" "$out" "$work/build/panels"
out=$(cd "$work" && "$host" --profile "$work/src/profile.json" --script "$library" "$work/src/tour.txt")
expect_pages "with the profile of its source folder and --script" "$out" "$work/src/panels"
echo "ok: the example builds against the installed kit, validates and pages with its own profile"
