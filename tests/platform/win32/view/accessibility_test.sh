#!/usr/bin/env bash
# What a screen reader hears of quilbert.exe's main window under Wine (run by
# tools/wine-x --shell), on the demo network with F: and G: connected: going
# through the window in the system's own Tab order (GetNextDlgTabItem, what
# readers and other tools follow), every control has a name, each row's
# controls name their letter in the row's order, and a connected row says so.
#   accessibility_test.sh QUILBERT_EXE MSAA_READER_EXE DEMO_DIR
set -uo pipefail
exe=$1
reader=$2
demo=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../../../support/checks.sh
. "$(dirname "$0")/../../../support/checks.sh"

cp "$demo/network.toml" "$work/network.toml"
cat >"$work/network.state" <<'EOF'
[connections]
F = '\\ATLAS\documents'
G = '\\MINERVE\claire'
EOF
config=$("$demo/../tools/wine-prefix" config "$(dirname "$exe")")
trap 'rm -rf "$work" "$config"' EXIT
cp "$demo/claire.ini" "$config"
QUILBERT_TEST_NETWORK=$(timeout 30 winepath -w "$work/network.toml" 2>/dev/null)
export QUILBERT_TEST_NETWORK

timeout 120 wine "$exe" /qelvo >"$work/out.txt" 2>&1 &
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Connecteurs de lecteurs' | head -1)
[[ -n $window ]] || { echo "FAIL: the main window did not open" >&2; exit 1; }
# By Tab (what can be reached now), and every control, disabled ones too.
title='Connecteurs de lecteurs'
timeout 60 wine "$reader" "$title" 15000 2>/dev/null | tr -d '\r' >"$work/heard.txt"
timeout 60 wine "$reader" --all "$title" 15000 2>/dev/null | tr -d '\r' >"$work/all.txt"
# QUILBERT_A11Y_HEARD=FILE keeps what was heard by Tab, for a look when a check fails.
[[ -z ${QUILBERT_A11Y_HEARD:-} ]] || cp "$work/heard.txt" "$QUILBERT_A11Y_HEARD"
heard() { cat "$work/heard.txt"; }

# Each check: what it is, then a command that succeeds when it holds.
checks=(
  "something is heard"
  '[[ -s $work/heard.txt ]]'
  "no control reached by Tab is without a name"
  '! heard | awk -F"\t" "\$1 == \"\"" | grep -q .'
  "the 26 check boxes have 26 names, one a letter"
  '[[ $(cut -f1 "$work/all.txt" | grep -x "Activer [A-Z]:" | sort -u | wc -l) == 26 ]]'
  "row F reads check box, path, browse, test"
  '[[ $(heard | cut -f1 | grep -A3 -x "Activer F:" | paste -sd "|") == "Activer F:|Chemin réseau de F:|Parcourir le réseau pour F:|Tester F:" ]]'
  "row F's check box says it is connected"
  'heard | grep "^Activer F:" | cut -f2 | grep -q "^Connecté à"'
)
for ((i = 0; i < ${#checks[@]}; i += 2)); do
  eval "${checks[i + 1]}" || fail "${checks[i]}"
done
((failures == 0)) || { echo "heard (name<TAB>description):" >&2; cat -A "$work/heard.txt" | head -40 >&2; }
((failures == 0)) && echo "accessibility: all checks passed"
exit $((failures > 0))
