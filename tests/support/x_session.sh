# The X session of a test script, sourced under `set -euo pipefail`: a folder
# `$work` removed on exit, the processes in `pids` ended on exit (the last
# started first), `fail` and `within`, and
#   x_tools TOOL...     exit 77 without Xvfb, a failure when a TOOL is missing
#   x_server            Xvfb on a free display, DISPLAY exported; 77 when none starts
#   x_window_manager    openbox, once it manages the screen

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  tail -n 20 "$work"/*.log >&2 2>/dev/null || true
  exit 1
}

# Polls `$@` every 0.1 s for up to $1 tenths of a second.
within() {
  local tenths=$1
  shift
  for ((t = 0; t < tenths; t++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

x_tools() {
  command -v Xvfb >/dev/null || { echo "SKIP: no X server (Xvfb) to start"; exit 77; }
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/deps.sh installs it)"; exit 1; }
  done
}

# Xvfb picks a free number and writes it to fd 3. It must not reset when its
# first client leaves: that would drop the keyboard map and refuse the
# clients connecting meanwhile.
x_server() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  pids+=($!)
  within 50 test -s "$work/display" || { echo "SKIP: no X server could be started"; cat "$work/xvfb.log"; exit 77; }
  DISPLAY=:$(head -1 "$work/display")
  export DISPLAY QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
}

x_window_manager() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  within 100 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    fail "openbox did not start: $(cat "$work/openbox.log")"
}
