#!/bin/bash
# The demo: a practice installation with demo data, looked at from the
# practice side. Usage: tools/demo.sh BUILD_DIR
set -euo pipefail
build=${1:-build/release}
bin="$build/bin"
practice="$build/demo-practice"

rm -rf "$practice"
echo "== kvpractice demo $practice"
"$bin/kvpractice" demo "$practice"
export KV_REGISTRY="$practice/registry.ini" KV_WINDIR="$practice/windows"

echo
echo "== Providers, staff and operatories (practice file 6)"
"$bin/kvpractice" export "$practice" 6 | head -n 24
echo "   ..."

echo
echo "== A mobile setting written and read back"
"$bin/kvpractice" settings "$practice" set KVMOBILE_APPTLIST DR01_Cnt 3
echo "KVMOBILE_APPTLIST DR01_Cnt = $("$bin/kvpractice" settings "$practice" get KVMOBILE_APPTLIST DR01_Cnt)"

echo
echo "== Practice sync log"
"$bin/kvpractice" synclog "$practice"
