#!/usr/bin/env bash
# Cold start of "quilbert.exe /a" under Wine (on the demo network, served
# through mpr by the test network provider) against a minimal Win32 program
# that shows one window for one second as /a shows its status, under Wine,
# alternated in one run: each start begins with no Wine server running.
# Prints the medians and their ratio.
#   xvfb-run -a bench/wine_start.sh [BUILD] [RUNS]     (BUILD: build/mingw, RUNS: 7)
# (the windows need an X display: without one, their creation fails)
# Needs the Windows build (cmake --build --preset mingw) and its test prefix
# (tools/wine-prefix setup BUILD).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/mingw}" && pwd)
runs=${2:-7}
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

x86_64-w64-mingw32-g++-posix -O2 -static -mwindows bench/minimal_win32.cpp -o "$work/minimal.exe"
tools/wine-prefix setup "$build" >/dev/null

# The demo: its network served by the provider, its configuration where the
# program finds it (the prefix's Local AppData), removed again at the end.
# No entry is active: the start alone is measured, not a wait for the
# demo's switched-off server.
cp demo/network.toml "$work/network.toml"
export QUILBERT_TEST_NETWORK
QUILBERT_TEST_NETWORK=$(timeout 30 winepath -w "$work/network.toml" 2>/dev/null)
config=$(tools/wine-prefix config "$build")
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true; rm -rf "$work" "$config"' EXIT
sed 's/^1\t/0\t/' demo/claire.ini >"$config"

# Seconds one cold start of the given program takes.
cold() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  timeout 30 wineserver -w >/dev/null 2>&1 || true
  rm -f "$work/network.state"
  local start end
  start=$(date +%s.%N)
  timeout 60 wine "$@" >"$work/out.txt" 2>"$work/err.txt"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f\n", b - a}'
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

minimal=()
program=()
for _ in $(seq "$runs"); do
  minimal+=("$(cold "$work/minimal.exe" 1000)")
  program+=("$(cold "$build/quilbert.exe" /a)")
done
tail -1 "$work/out.txt"
m=$(printf '%s\n' "${minimal[@]}" | median)
p=$(printf '%s\n' "${program[@]}" | median)
printf 'cold start under Wine, median of %d: minimal Win32 program %.3f s, quilbert.exe /a %.3f s, ratio %.2f\n' \
  "$runs" "$m" "$p" "$(awk -v a="$p" -v b="$m" 'BEGIN {print a / b}')"
echo "quilbert.exe: $(stat -c %s "$build/quilbert.exe") bytes"
