#!/usr/bin/env bash
# The program on a desktop without a notification area: "Réduire" leaves the
# window iconic (the task list leads back), not withdrawn; a resident
# automatic start tells its outcome through the desktop's notifications.
# With one (trayer) the icon appears and the window hides; an automatic start
# whose server is off waits behind it after a few seconds, and a later start
# meanwhile shows the main window at once. 77: no X server.
set -euo pipefail
program=$(realpath "$1")
# shellcheck source=../support/x_session.sh
. "$(dirname "$0")/../support/x_session.sh"
x_tools openbox xdotool xprop trayer dbus-daemon dbus-monitor
x_server
x_window_manager
eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 |
  { read -r a; read -r p; echo "export DBUS_SESSION_BUS_ADDRESS='$a'; bus_pid=$p"; })"
pids+=("$bus_pid")
dbus-monitor "interface='org.freedesktop.Notifications'" >"$work/notifications.log" 2>&1 & pids+=($!)

mkdir -p "$work/config/quilbert" "$work/run"
chmod 700 "$work/run"
printf 'user = "Claire"\n[[server]]\nname = "SRV"\n[[server.share]]\nname = "docs"\n' >"$work/net.toml"
printf '[[server]]\nname = "OFF"\nreachable = false\n[[server.share]]\nname = "x"\n' >>"$work/net.toml"
config() {  # row A active on \\SRV\docs, row B on \\OFF\x active with $2; $1 the resident setting
  { printf '1\tA\t\t\t\\\\SRV\\docs\r\n%s\tB\t\t\t\\\\OFF\\x\r\n' "${2:-0}"
    for c in {C..Z}; do printf '0\t%s\t\t\t\r\n' "$c"; done
    printf 'ide\r\nwindows\r\nlangage_fr.txt\r\n%s\r\n' "$1"; } >"$work/config/quilbert/claire.ini"
}
start() {  # the program with the given arguments; sets $main to its window
  QUILBERT_NETWORK="sim:$work/net.toml" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
    "$program" "$@" >>"$work/program.log" 2>&1 &
  pids+=($!)
  running=$!
  main=
  within 150 bash -c 'xdotool search --name "^Connecteurs" | grep -q .' || fail "no main window"
  main=$(xdotool search --name '^Connecteurs' | head -1)
}
stop() { kill "$running"; wait "$running" 2>/dev/null || true; }
wm_state() {  # of the window titled so now (changing its type may make it anew)
  main=$(xdotool search --name '^Connecteurs' | tail -1)
  xprop -id "$main" WM_STATE 2>/dev/null | awk '/window state/ {print $3}'
}
is_state() { [[ $(wm_state) == "$1" ]]; }
windows_of() {  # the shown windows of process $1, its notification icon left out
  for w in $(xdotool search --onlyvisible --pid "$1"); do
    xdotool getwindowgeometry "$w" | grep -qE 'Geometry: [0-9]{3,}x' && echo "$w"
  done
  return 0
}
reduce() {  # the "Réduire" button, as a person clicks it, below the menu bar
  local h=$(xdotool getwindowgeometry "$main" | awk -F'[x ]' '/Geometry/ {print $NF}')
  xdotool mousemove --window "$main" 512 $((h - 575 + 477)) click 1
}

# No notification area: the window is minimized, and the reason said once.
config nres
start
within 50 is_state Normal || fail "the window was not shown: $(wm_state)"
reduce
within 50 bash -c 'xdotool search --onlyvisible --name "^QUILBERT" | grep -q .' ||
  fail "no word on the missing notification area"
xdotool key Return
within 50 is_state Iconic || fail "Réduire without a notification area left the window $(wm_state)"
xdotool windowactivate "$main"
within 50 is_state Normal || fail "the window did not come back from the task list"
stop

# A resident automatic start: the outcome goes to the desktop's notifications.
config ores
start /a
within 100 is_state Iconic || fail "the resident automatic start left the window $(wm_state)"
within 50 grep -q 'Connexions' "$work/notifications.log" || fail "no notification of the outcome"
stop

# Waiting without one: after a few seconds in a window that no longer stays
# on top, and a click on it ends the wait.
config nres 1
QUILBERT_NETWORK="sim:$work/net.toml" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
  QUILBERT_NETWORK_WAIT=60 "$program" /a >>"$work/program.log" 2>&1 &
pid=$!
pids+=("$pid")
sleep 7
behind=$(windows_of "$pid" | head -1)
[[ -n $behind ]] || fail "no waiting window without a notification area"
xprop -id "$behind" _NET_WM_STATE | grep -q ABOVE && fail "the waiting window stays on top"
xdotool mousemove --window "$behind" 40 50 click 1
within 50 bash -c "! kill -0 $pid 2>/dev/null" || fail "a click on the waiting window did not end the wait"

# With a notification area: the icon appears and Réduire hides the window.
trayer --expand false --width 60 --widthtype pixel >"$work/trayer.log" 2>&1 & pids+=($!)
within 50 bash -c 'xdotool search --class trayer | grep -q .' || fail "trayer did not start"
config nres
start
within 50 is_state Normal || fail "the window was not shown"
reduce
within 50 bash -c "! xdotool search --onlyvisible --name '^Connecteurs' | grep -q ." ||
  fail "Réduire did not hide the window under a notification area: $(wm_state)"
xdotool search --onlyvisible --name '^QUILBERT' | grep -q . && fail "a word about no notification area"
icons=$(xwininfo -root -tree | grep -c -i 'quilbert' || true)
((icons >= 1)) || fail "no icon in the notification area"
stop

# Waiting for a server that is off: in the way a few seconds only, then behind
# the icon; a later start shows the window; the end is told in a notification.
config nres 1
QUILBERT_NETWORK="sim:$work/net.toml" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
  QUILBERT_NETWORK_WAIT=20 "$program" /a >>"$work/program.log" 2>&1 &
pid=$!
pids+=("$pid")
within 50 bash -c "xdotool search --onlyvisible --pid $pid | grep -q ." || fail "no waiting window"
sleep 2
[[ -n $(windows_of "$pid") ]] || fail "no waiting window"
for _ in {1..80}; do [[ -z $(windows_of "$pid") ]] && break; sleep 0.1; done
[[ -z $(windows_of "$pid") ]] || fail "the waiting window still stands in the way after 8 s"
QUILBERT_NETWORK="sim:$work/net.toml" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
  timeout 20 "$program" >>"$work/program.log" 2>&1 || fail "the second start did not end by itself"
within 50 bash -c "xdotool search --onlyvisible --name '^Connecteurs' | grep -q ." ||
  fail "a second start during the wait showed no main window"
within 250 grep -q '1/2' "$work/notifications.log" || fail "no notification of the letter not connected"
kill -0 "$pid" || fail "the program a later start asked for ended with its automatic run"
echo "PASS: minimized without a notification area, told the outcome, hidden behind the icon with one, waited behind it"
