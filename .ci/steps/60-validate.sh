#!/usr/bin/env bash
# The protocol validator on the component as built by the README line, three
# rounds with a fresh storm seed each CI run (printed, so a failing storm can be
# replayed with --seed). CTest already ran it on a fixed seed and on the faulty
# fixtures, in the plain and the sanitizer builds.
set -euo pipefail
VREL_CONFIG_DIR="$PWD/config" build/vrel-host --validate build/libkelvane.so --repeat 3
