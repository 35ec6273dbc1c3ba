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
#   wine     Wine, to run the Windows DLLs in 32-bit Windows processes: adds the
#            i386 architecture, and registers qemu-i386 for 32-bit programs
#            (tools/qemu-i386-binfmt.sh), which this kernel may not run itself
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
# Wine's 32-bit loader and DLLs come from the i386 architecture.
group_wine=(wine wine32:i386 wine64 qemu-user)

usage() { sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; }

groups=("$@")
[ "${#groups[@]}" -eq 0 ] && groups=(build)
wanted=()
for g in "${groups[@]}"; do
  case "$g" in
    build) wanted+=("${group_build[@]}") ;;
    cross) wanted+=("${group_cross[@]}") ;;
    browser) wanted+=("${group_browser[@]}") ;;
    wine) wanted+=("${group_wine[@]}") ;;
    all) wanted+=("${group_build[@]}" "${group_cross[@]}" "${group_browser[@]}" "${group_wine[@]}") ;;
    -h|--help) usage; exit 0 ;;
    *) echo "install-deps: unknown group '$g' (build, cross, browser, wine, all)" >&2; exit 1 ;;
  esac
done

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
wants_wine=0
for g in "${groups[@]}"; do
  if [ "$g" = wine ] || [ "$g" = all ]; then wants_wine=1; fi
done
if [ "$wants_wine" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture (Wine's 32-bit half)"
  "${sudo[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${wanted[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages of ${groups[*]} are installed"
else
  echo "install-deps: installing ${missing[*]}"
  # An index the mirror serves damaged (while it syncs) is left out by apt,
  # which says so; what is really missing fails the install below.
  "${sudo[@]}" apt-get update -qq || echo "install-deps: some package indexes could not be read; going on" >&2
  install=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
  if ! "${install[@]}" "${missing[@]}"; then
    # Without the security index of i386, the i386 half of a library cannot
    # match its amd64 half at the security version: take the release's own
    # versions of both.
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$release" ] || exit 1
    echo "install-deps: trying again with the versions of $release itself" >&2
    "${install[@]}" -t "$release" "${missing[@]}"
  fi
fi

[ "$wants_wine" -eq 0 ] || "$(dirname "$0")/qemu-i386-binfmt.sh"
for g in "${groups[@]}"; do
  if [ "$g" = browser ] || [ "$g" = all ]; then
    command -v npm >/dev/null || echo "install-deps: npm is missing; install Node.js with npm from NodeSource (not Debian's npm package)" >&2
  fi
done
exit 0
