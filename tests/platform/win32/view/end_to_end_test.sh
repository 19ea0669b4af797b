#!/usr/bin/env bash
# quilbert.exe as a person uses it, under Wine on an X display with a window
# manager (run by tools/wine-x --shell), on the demo network served through
# the real mpr by the test network provider: type a path, Save, Connect, read
# the status window, quit with an unsaved change. Checks the configuration
# file's bytes and the connections the provider holds. Then the automatic run,
# whose wait a click on the waiting window's text stops.
#   end_to_end_test.sh QUILBERT_EXE WINDOW_TEXTS_EXE DEMO_DIR
set -uo pipefail
exe=$1
texts=$2
demo=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../../../support/checks.sh
. "$(dirname "$0")/../../../support/checks.sh"
# The demo configuration with some rows changed ("C=2|path;I=1|path"): the
# bytes the program must have written, CR LF and all.
expected_config() {
  CHANGES=$1 awk -F'\t' -v OFS='\t' '
    BEGIN {
      n = split(ENVIRON["CHANGES"], c, ";")
      for (i = 1; i <= n; i++) {
        letter = substr(c[i], 1, 1); rest = substr(c[i], 3); bar = index(rest, "|")
        act[letter] = substr(rest, 1, bar - 1); path[letter] = substr(rest, bar + 1)
      }
    }
    { sub(/\r$/, "") }
    NF == 5 && ($2 in act) { $1 = act[$2]; $5 = path[$2] }
    { printf "%s\r\n", $0 }' "$demo/claire.ini"
}
check_config() {
  if ! cmp -s <(expected_config "$1") "$config"; then
    fail "configuration $2:"
    diff <(expected_config "$1" | cat -A) <(cat -A "$config") >&2
  fi
}
winpath() { timeout 30 winepath -w "$1" 2>/dev/null; }

# The demo network and Claire's configuration where the program finds it in
# a prefix as Wine makes it (Local AppData), removed again at the end.
cp "$demo/network.toml" "$work/network.toml"
config=$("$demo/../tools/wine-prefix" config "$(dirname "$exe")")
trap 'rm -rf "$work" "$config"' EXIT
cp "$demo/claire.ini" "$config"
export QUILBERT_TEST_NETWORK=$(winpath "$work/network.toml")

timeout 120 wine "$exe" >"$work/out.txt" 2>&1 &
program=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Connecteurs de lecteurs' | head -1)
[[ -n $window ]] || { echo "FAIL: the main window did not open" >&2; exit 1; }
# Ours has the keyboard at start-up and when a window of ours closes over it.
keyboard_back() { timeout 5 bash -c "until [[ \$(xdotool getactivewindow) == $window ]]; do sleep 0.1; done" ||
  fail "$1: the keyboard is with $(xdotool getactivewindow getwindowname 2>/dev/null)"; }
keyboard_back "at start-up"
X=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $4}')
Y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $4}')
HEIGHT=$(xwininfo -id "$window" | awk '/Height:/ {print $2}')
# Wine's X window holds the menu bar above the 575-pixel client area.
top=$((Y + HEIGHT - 575))
click() { xdotool mousemove "$((X + $1))" "$((top + $2))" click 1; sleep 0.3; }
# QUILBERT_E2E_SHOTS=DIR keeps screenshots of the steps, for a look when one fails.
shot() { [[ -z ${QUILBERT_E2E_SHOTS:-} ]] || import -window root "$QUILBERT_E2E_SHOTS/$1.png"; }
screen() { timeout 30 wine "$texts" "$@" 2>/dev/null | tr -d '\r'; }

# Row I: a path typed into its box (capitals and backslashes), then Save.
click 264 208
xdotool type --delay 40 '\\MINERVE\logiciels'
sleep 0.5
shot typed
click 512 151
sleep 1
shot saved
# Wine's own drives C: and Z: are local fixed disks: their rows are saved
# with their description, as the window shows them.
local_c="2|C: (Lecteur local de ce poste : Disque fixe)"
local_z="2|Z: (Lecteur local de ce poste : Disque fixe)"
check_config "C=$local_c;I=0|\\\\MINERVE\\logiciels;Z=$local_z" "after Save"

# Row I made active, saved again; then Connect (its access key): HERMES is off, the others connect; the status
# window says so.
click 71 209
click 512 151
xdotool key alt+c
sleep 0.5
shot connecting
unreachable=$(screen '(P:)' 15000)
[[ $unreachable == *"injoignable"* ]] || fail "no status for the unreachable server: $unreachable"
summary=$(screen 'Connexions' 15000)
[[ $summary == *"4/5"* ]] || fail "status window: $summary"
sleep 1.5
connections=$(cat "$work/network.state" 2>/dev/null)
for want in 'F.*\\\\ATLAS\\documents' 'G.*\\\\MINERVE\\claire' 'H.*\\\\ATLAS\\public' \
  'I.*\\\\MINERVE\\logiciels'; do
  grep -qi -- "$want" <<<"$connections" || fail "no connection $want in: $connections"
done
grep -qi 'HERMES' <<<"$connections" && fail "a connection to the switched-off server"

# An unsaved change, then Quit: Escape keeps the program, Enter (Yes) saves and ends it.
keyboard_back "after the status window"
click 264 228
xdotool type --delay 40 '\\ATLAS\public'
xdotool key alt+q
question=$(screen 'Oui' 10000)
[[ -n $question ]] || fail "no question on quitting with an unsaved change"
xdotool key Escape
sleep 1
kill -0 "$program" 2>/dev/null || fail "Escape ended the program"
keyboard_back "after the question"
xdotool key alt+q
screen 'Oui' 10000 >/dev/null
xdotool key Return
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "the program did not end"
check_config "C=$local_c;I=1|\\\\MINERVE\\logiciels;J=0|\\\\ATLAS\\public;Z=$local_z" \
  "after quitting with an unsaved change (Yes)"

# The automatic run waiting for HERMES: a click on the waiting window's text,
# not only on its picture, stops the wait, and the summary follows at once.
cp "$demo/claire.ini" "$config"
timeout 60 wine "$exe" /a >"$work/out-a.txt" 2>&1 &
program=$!
screen 'attend' 15000 >/dev/null || fail "no waiting window"
waiting=$(xdotool search --onlyvisible --class 'quilbert.exe' | head -1)
xdotool mousemove --window "$waiting" 60 52 click 1
clicked=$SECONDS
# The waiting text says "Connexions" too: the summary is the text without
# the time left. Read again for up to 10 s (the wait itself would be 120 s):
# on a loaded machine each reading takes a second or more.
summary=""
for _ in $(seq 20); do
  summary=$(screen 'Connexions' 3000)
  [[ -n $summary && $summary != *"Temps"* ]] && break
  sleep 0.5
  ((SECONDS - clicked > 10)) && break
done
[[ $summary == *"3/4"* && $summary != *"Temps"* ]] || fail "a click on the waiting text did not stop the wait: $summary"
wait "$program"

((failures == 0)) && echo "end-to-end: all checks passed"
exit $((failures > 0))
