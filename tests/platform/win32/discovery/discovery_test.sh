#!/usr/bin/env bash
# Runs the Windows discovery test under Wine beside the tests' WS-Discovery
# peer, in a network namespace of its own with a Wine prefix of its own: Wine
# makes sockets in its server, which must start in that namespace. 77
# (skipped) where no namespace can be made.
#   discovery_test.sh SOURCE_DIR BUILD_DIR TEST.exe
set -uo pipefail
src=$1 build=$2 exe=$3
[[ $(id -u) == 0 ]] && unshare --net true 2>/dev/null || exit 77
export WINEPREFIX=$build/wineprefix-wsd
unshare --net "$src/tests/support/wsdd_peer.sh" "$build/wsdd-peer.log" \
  "$src/tools/wine-run" "$exe" >"$build/win32-discovery.log" 2>&1
rc=$?
timeout 20 wineserver -k
cat "$build/win32-discovery.log"
exit $rc
