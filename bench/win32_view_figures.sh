#!/usr/bin/env bash
# Figures of the Windows program's windows under Wine (a script, not a test):
#  - cold start of quilbert.exe to its first window against a minimal Win32
#    program that opens one window, medians and ratio of the same run, each
#    start with no Wine server running, on an X display with a window manager;
#  - the idle program with its notification icon: resident memory, and
#    wake-ups (context switches of its threads) per second over 10 s;
#  - the size of the static quilbert.exe of a Release build.
#   bench/win32_view_figures.sh [RUNS]     (RUNS: 7)
# Builds build/mingw-release (Release, no tests) and uses its own prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ ${1:-} != --inner ]]; then
  build=$PWD/build/mingw-release
  cmake --preset mingw -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILBERT_TESTS=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" --target quilbert >/dev/null
  # The provider comes from the test build.
  cmake --build --preset mingw -j "$(nproc)" --target quilbert_test_provider >/dev/null
  x86_64-w64-mingw32-g++-posix -O2 -static -mwindows bench/minimal_win32.cpp \
    -o "$build/minimal_window.exe"
  export WINEPREFIX=$build/wineprefix
  tools/wine-prefix setup build/mingw >/dev/null
  QUILBERT_WINE_TIMEOUT=900 exec tools/wine-x --shell "$0" --inner "$build" "${1:-7}"
fi
build=$2
runs=$3
work=$(mktemp -d)
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp demo/network.toml "$work/network.toml"
export QUILBERT_TEST_NETWORK
QUILBERT_TEST_NETWORK=$(timeout 30 winepath -w "$work/network.toml" 2>/dev/null)
cp demo/claire.ini "$(tools/wine-prefix config "$build")"

# Seconds from the start of a cold Wine to a visible window of that name.
first_window() {  # name program args...
  local name=$1 start end
  shift
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  timeout 30 wineserver -w >/dev/null 2>&1 || true
  start=$(date +%s.%N)
  timeout 60 wine "$@" >/dev/null 2>&1 &
  until xdotool search --onlyvisible --name "$name" >/dev/null 2>&1; do sleep 0.005; done
  end=$(date +%s.%N)
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  wait
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f\n", b - a}'
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

minimal=()
program=()
for _ in $(seq "$runs"); do
  minimal+=("$(first_window 'Minimal window' "$build/minimal_window.exe")")
  program+=("$(first_window 'Connecteurs de lecteurs' "$build/quilbert.exe")")
done
m=$(printf '%s\n' "${minimal[@]}" | median)
p=$(printf '%s\n' "${program[@]}" | median)
printf 'first window under Wine, median of %d cold starts: minimal Win32 program %.3f s, quilbert.exe %.3f s, ratio %.2f\n' \
  "$runs" "$m" "$p" "$(awk -v a="$p" -v b="$m" 'BEGIN {print a / b}')"

# The idle program: shown (its text box's caret blinks, as on Windows), then
# hidden behind its notification icon (Réduire), the pointer away from both.
timeout 120 wine "$build/quilbert.exe" >/dev/null 2>&1 &
main=$(timeout 30 xdotool search --sync --onlyvisible --name 'Connecteurs de lecteurs' | head -1)
xdotool mousemove 1000 700
sleep 3
pid=$(pgrep -x quilbert.exe | head -1)
switches() { cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}'; }
per_second() {
  local before after
  before=$(switches)
  sleep 10
  after=$(switches)
  awk -v a="$before" -v b="$after" 'BEGIN {print (b - a) / 10}'
}
shown=$(per_second)
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key alt+r
sleep 2
hidden=$(per_second)
rss=$(awk '/VmRSS/ {print $2}' /proc/"$pid"/status)
printf 'idle: %.1f wake-ups per second shown, %.1f hidden behind its notification icon; RSS %.1f MB\n' \
  "$shown" "$hidden" "$(awk -v k="$rss" 'BEGIN {print k / 1024}')"
x86_64-w64-mingw32-strip -o "$work/stripped.exe" "$build/quilbert.exe"
printf 'quilbert.exe (Release, static, no DLL beside it): %d bytes, %d stripped (as in the .zip)\n' \
  "$(stat -c %s "$build/quilbert.exe")" "$(stat -c %s "$work/stripped.exe")"
