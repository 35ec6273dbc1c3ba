#!/usr/bin/env bash
# The component exports exactly one symbol and carries its signature text.
set -euo pipefail
exported=$(nm -D --defined-only build/libkelvane.so | awk '{print $3}')
if [ "$exported" != "load_vrel_client_script" ]; then
  echo "libkelvane.so must export only load_vrel_client_script, it exports:"; echo "$exported"; exit 1
fi
# Read all of strings' output first: grep -q would stop early and, under
# pipefail, the broken pipe would read as a failure.
texts=$(strings build/libkelvane.so)
grep -q '^VREL_SIG,name=vrel_script_helper,type=LIB,version=4.8.6.0,date=16/06/2017,author=' <<<"$texts" \
  || { echo "signature text missing from libkelvane.so"; exit 1; }
echo "ok: one exported symbol, signature present"
