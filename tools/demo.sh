#!/bin/bash
# The demo: a practice installation with demo data, and a HotSync of the demo
# handheld with the four conduits. Usage: tools/demo.sh BUILD_DIR
set -euo pipefail
build=${1:-build/release}
bin="$build/bin"
practice="$build/demo-practice"
handheld="$build/demo-handheld"

rm -rf "$practice" "$handheld"
echo "== kvpractice demo $practice"
"$bin/kvpractice" demo "$practice"
export KV_REGISTRY="$practice/registry.ini" KV_WINDIR="$practice/windows"

echo
echo "== The demo handheld's mobile settings"
for key in "KVMOBILE DR01_SEL_PROVIDERS" "KVMOBILE_APPTLIST DR01_Cnt" "KVMOBILE_OFFICEJOURNAL DR01_Cnt"; do
  set -- $key
  echo "  $1 $2 = $("$bin/kvpractice" settings "$practice" get "$1" "$2")"
done

if ls "$build"/conduits/Kvr*.so >/dev/null 2>&1; then
  echo
  echo "== hotsync sync: the four conduits"
  "$bin/hotsync" sync --practice "$practice" --handheld "$handheld" --user "Anna Whitaker" \
    </dev/null || echo "(a conduit did not finish: see the log above)"

  echo
  echo "== The handheld afterwards"
  "$bin/handheld" list "$handheld"
  if [ -f "$handheld/KvrRscDB.pdb" ]; then
    echo
    "$bin/handheld" dump "$handheld" KvrRscDB
  fi
fi

echo
echo "== Practice sync log"
"$bin/kvpractice" synclog "$practice"
