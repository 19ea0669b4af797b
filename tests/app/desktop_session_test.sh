#!/usr/bin/env bash
# The built program on a real X server with a window manager, used as a person
# uses it: started from a folder that is not its own, in administrator mode,
# on a French keyboard (a backslash is AltGr+8). It types paths with capitals
# and backslashes, tabs to the next row, picks a share in the share browser,
# saves, makes one more change and closes the window by the window manager,
# answering the question with Yes. Then the configuration file's bytes are
# checked. Exit code 77 (skipped) only when no X server can be started.
#   desktop_session_test.sh path/to/quilbert
set -euo pipefail
program=$(realpath "$1")
# shellcheck source=../support/x_session.sh
. "$(dirname "$0")/../support/x_session.sh"
x_tools openbox xdotool xprop setxkbmap import
x_server
setxkbmap fr
x_window_manager

# The user's files: an empty configuration and a small network.
mkdir -p "$work/config/quilbert" "$work/run" "$work/elsewhere"
chmod 700 "$work/run"
cat >"$work/network.toml" <<'EOF'
user = "Claire"
[[workgroup]]
name = "BUREAU"
[[server]]
name = "ATLAS"
[[server.share]]
name = "documents"
[[server.share]]
name = "Projets"
EOF
settings=$'ide\r\nwindows\r\nlangage_fr.txt\r\nnres\r\n'
config() {  # the file with the given paths for rows E, F, G (ticked), H
  local -A path=([E]=$1 [F]=$2 [G]=$3 [H]=$4)
  local c
  for c in {A..Z}; do
    printf '%s\t%s\t\t\t%s\r\n' "$([[ $c == G && -n $3 ]] && echo 1 || echo 0)" "$c" "${path[$c]:-}"
  done
  printf '%s' "$settings"
}
config '' '' '' '' >"$work/config/quilbert/claire.ini"
chmod 600 "$work/config/quilbert/claire.ini"

cd "$work/elsewhere"
QUILBERT_NETWORK="sim:$work/network.toml" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work/run" "$program" /qelvo >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

# Visible windows whose title starts with $1, one id a line.
titled() { xdotool search --onlyvisible --name "^$1" 2>/dev/null || true; }
one_window() { [[ $(titled "$1" | wc -l) -eq ${2:-1} ]]; }
# The window that has the keyboard is a new one titled $1 (keys go there).
active() {
  local id
  id=$(xdotool getactivewindow 2>/dev/null) || return 1
  [[ $id != "$main" && $(xdotool getwindowname "$id") == "$1"* ]]
}
within 150 one_window Connecteurs || fail "the main window did not open: $(cat "$work/program.log")"

# Pictures come from the program's folder, not the current one: the window
# icon is the program's (its 16 x 16 picture; a stand-in has only 48 x 48).
program_icon() {
  main=$(titled Connecteurs)
  [[ -n $main ]] && xprop -id "$main" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (16 x 16)'
}
within 50 program_icon || fail "not the program's window icon"
sleep 0.5  # let the first paint finish before reading pixels

# Client positions from the designed twips (15 a pixel) below the menu bar.
menu=$(($(xdotool getwindowgeometry "$main" | awk -F'[x ]' '/Geometry/ {print $NF}') - 575))
y_of_row() { echo $((menu + (120 + 480 + 300 * ($1 - 1) + 127) / 15)); }

# Row A's browse button shows its yellow folder.
yellow=$(import -window "$main" -crop 27x17+26+$((menu + 40)) -depth 8 txt:- |
  awk -F'[(),]' 'NR > 1 && $3 > 200 && $4 > 150 && $5 < 120 {n++} END {print n + 0}')
((yellow > 10)) || fail "the browse button shows no picture"

click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
# Row E's path box, then a path typed as a person types it; Tab four times
# (row E's browse and test buttons, row F's check box, path box).
click 194 "$(y_of_row 5)"
xdotool type --delay 15 '\\ATLAS\Projets'
xdotool key --delay 30 Tab Tab Tab Tab
xdotool type --delay 15 '\\ATLAS\Documents'

# Row G's browse button; open the network, the workgroup, the server; the
# first share; Return takes it.
click 39 "$(y_of_row 7)"
within 50 active Connecteurs || fail "the share browser did not open"
xdotool key --delay 30 Down Right Down Right Down Right Down Return
within 50 one_window Connecteurs || fail "the share browser did not close"

# Save, and the file holds the three rows.
click 512 $((menu + 151))
# The file must be these bytes exactly.
saved() { cmp -s "$work/expected" "$work/config/quilbert/claire.ini"; }
config '\\ATLAS\Projets' '\\ATLAS\Documents' '\\ATLAS\documents' '' >"$work/expected"
within 50 saved || fail "Save wrote: $(cat -A "$work/config/quilbert/claire.ini")"

# One more change, then the window manager's close: the question, Yes.
click 194 "$(y_of_row 8)"
xdotool type --delay 15 'Zz'
xdotool key alt+F4
within 50 active 'Quitter QUILBERT' || fail "closing asked nothing"
xdotool key Return
gone() {
  local state
  state=$(awk '{print $3}' "/proc/$program_pid/stat" 2>/dev/null) || true
  [[ -z $state || $state == Z ]]
}
within 50 gone || fail "the program did not end"
wait "$program_pid" || fail "the program ended with an error: $(cat "$work/program.log")"
config '\\ATLAS\Projets' '\\ATLAS\Documents' '\\ATLAS\documents' 'Zz' >"$work/expected"
saved || fail "Yes saved: $(cat -A "$work/config/quilbert/claire.ini")"
echo "PASS: typed, tabbed, browsed, saved and closed with the question answered"
