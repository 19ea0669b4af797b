#!/usr/bin/env bash
# The built program read as a screen reader reads it: over AT-SPI, in a D-Bus
# session of its own, the main window in administrator mode. Every control a
# person reaches with Tab has a name, the 26 check boxes 26 different ones, and
# a ticked letter that is not connected says so in words. 77 without X.
#   screen_reader_test.sh path/to/quilbert
set -euo pipefail
if [[ -z ${QUILBERT_OWN_BUS:-} ]]; then
  QUILBERT_OWN_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
program=$(realpath "$1")
# shellcheck source=../support/x_session.sh
. "$(dirname "$0")/../support/x_session.sh"
x_tools openbox
# Debian's Python, which the bindings are installed for.
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null || fail "python3-pyatspi is missing (tools/deps.sh installs it)"
x_server
x_window_manager

mkdir -p "$work/config/quilbert" "$work/run"
chmod 700 "$work/run"
printf 'user = "Claire"\n[[server]]\nname = "ATLAS"\n[[server.share]]\nname = "documents"\n' \
  >"$work/network.toml"
for c in {A..Z}; do
  [[ $c == G ]] && printf '1\tG\t\t\t\\\\ATLAS\\documents\r\n' || printf '0\t%s\t\t\t\r\n' "$c"
done >"$work/config/quilbert/claire.ini"
printf 'ide\r\nwindows\r\nlangage_fr.txt\r\nnres\r\n' >>"$work/config/quilbert/claire.ini"
chmod 600 "$work/config/quilbert/claire.ini"

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QUILBERT_NETWORK="sim:$work/network.toml" \
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
  "$program" /qelvo >"$work/program.log" 2>&1 &
pids+=($!)

timeout 60 "$python" - <<'PY' || fail "what a screen reader hears is wrong (above)"
import sys, time
import pyatspi

def window():
    for _ in range(150):
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.name != "quilbert":
                continue
            for w in app:
                if w is not None and w.name.startswith("Connecteurs"):
                    return w
        time.sleep(0.2)
    sys.exit("the main window never showed over AT-SPI")

reachable, check_boxes, said = [], [], {}
def walk(node):
    for child in node:
        if child is None:
            continue
        states = child.getState()
        if states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING):
            reachable.append(child)
            if child.getRole() == pyatspi.ROLE_CHECK_BOX:
                check_boxes.append(child.name)
            said[child.name] = child.description
        walk(child)

walk(window())
problems = []
unnamed = [c.getRoleName() for c in reachable if not c.name.strip()]
if unnamed:
    problems.append(f"{len(unnamed)} of {len(reachable)} controls have no name: {unnamed[:5]}")
if len(set(check_boxes)) != 26:
    problems.append(f"{len(set(check_boxes))} different check box names, not 26: {check_boxes[:3]}")
if said.get("Activer G:") != "Non connecté":
    problems.append(f"G's check box says {said.get('Activer G:')!r}, not 'Non connecté'")
for name in ("Chemin réseau de G:", "Parcourir le réseau pour G:", "Tester G:", "Mot de passe"):
    if name not in said:
        problems.append(f"no control named {name!r}")
print(f"{len(reachable)} controls reachable, all named" if not problems else "\n".join(problems))
sys.exit(1 if problems else 0)
PY
