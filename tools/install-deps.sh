#!/usr/bin/env bash
# Installs the Debian packages a group of tasks needs, and only the missing
# ones; says what it installs, and does nothing when all is there. Uses sudo
# when not run as root. The one list of packages: the README and .ci/run use it.
#
#   tools/install-deps.sh [GROUP...]     (default: build)
#
#   build    configure, build, test and package on the build machine
#   cross    the 32-bit and Windows builds, the fuzzers (clang), the MSVC-mode check
#   browser  the browser used by the browser view's checks (node and npm are
#            expected from NodeSource: Debian's npm package conflicts with it)
#   all      every group
set -euo pipefail

group_build=(
  cmake g++ make binutils file dpkg-dev
  libgtest-dev libgmock-dev googletest
  nlohmann-json3-dev libcli11-dev libbenchmark-dev libboost-dev libedit-dev
)
group_cross=(
  clang lld libclang-rt-14-dev
  g++-multilib qemu-user g++-mingw-w64-i686
)
group_browser=(chromium)

usage() { sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; }

groups=("$@")
[ "${#groups[@]}" -eq 0 ] && groups=(build)
wanted=()
for g in "${groups[@]}"; do
  case "$g" in
    build) wanted+=("${group_build[@]}") ;;
    cross) wanted+=("${group_cross[@]}") ;;
    browser) wanted+=("${group_browser[@]}") ;;
    all) wanted+=("${group_build[@]}" "${group_cross[@]}" "${group_browser[@]}") ;;
    -h|--help) usage; exit 0 ;;
    *) echo "install-deps: unknown group '$g' (build, cross, browser, all)" >&2; exit 1 ;;
  esac
done

missing=()
for p in "${wanted[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages of ${groups[*]} are installed"
else
  echo "install-deps: installing ${missing[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

for g in "${groups[@]}"; do
  if [ "$g" = browser ] || [ "$g" = all ]; then
    command -v npm >/dev/null || echo "install-deps: npm is missing; install Node.js with npm from NodeSource (not Debian's npm package)" >&2
  fi
done
exit 0
