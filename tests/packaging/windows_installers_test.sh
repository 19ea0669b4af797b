#!/usr/bin/env bash
# The Windows packages as an administrator's script uses them, in a fresh
# prefix: cpack makes them; the per-user setup installs silently, runs,
# upgrades in place and uninstalls silently, keeping the configuration; the
# MSI installs per machine and uninstalls with msiexec.
#   windows_installers_test.sh BUILD
set -uo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'timeout 30 wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

(cd "$build" && cpack -G "NSIS;External" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  exit 1
}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
setup=$build/quilbert-$version-setup.exe
msi=$build/quilbert-$version.msi
sum=$(sha256sum "$setup" | cut -d' ' -f1)
grep -qi "^ *InstallerSha256: $sum\$" "$build/quilbert-$version.winget.yaml" ||
  fail "the winget manifest does not give the setup's checksum $sum"

w() { timeout -k 5 120 wine "$@" 2>>"$work/wine.log"; }
unix() { timeout 30 winepath -u "$1" 2>>"$work/wine.log"; }
# A registry value as reg.exe prints it, or nothing.
regValue() {
  w reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
expect() { # what, wanted, got
  [[ $2 == "$3" ]] || fail "$1: wanted [$2], got [$3]"
}

start=$SECONDS
timeout 120 wineboot -i >"$work/wine.log" 2>&1
w reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null
IFS='|' read -r localWin user < <(w cmd /c 'echo %LOCALAPPDATA%^|%USERNAME%' | tr -d '\r')
local=$(unix "$localWin")
startMenu=$(unix "$(w cmd /c 'echo %APPDATA%' | tr -d '\r')")"/Microsoft/Windows/Start Menu/Programs"
dir="$local/Programs/Quilbert"
uninstallKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quilbert'
runKey='Software\Microsoft\Windows\CurrentVersion\Run'
runCommand="\"$localWin\\Programs\\Quilbert\\quilbert.exe\" /a"
config="$local/${user,,}.ini"
echo "prefix made in $((SECONDS - start)) s"

# --- the per-user setup: silent install, twice (the second an upgrade) ---
start=$SECONDS
w "$setup" /S
echo "silent install: $((SECONDS - start)) s"
out=$(w "$dir/quilbert-cli.exe" --help | tr -d '\r')
[[ $out == *"quilbert-cli"*status* ]] || fail "installed quilbert-cli.exe --help: $out"
expect "the Run value the installer wrote" "$runCommand" "$(regValue "HKCU\\$runKey" Quilbert)"
expect "uninstall entry's quiet command" "\"$localWin\\Programs\\Quilbert\\uninstall.exe\" /S" \
  "$(regValue "$uninstallKey" QuietUninstallString)"
for name in DisplayName DisplayVersion Publisher DisplayIcon UninstallString EstimatedSize; do
  [[ -n $(regValue "$uninstallKey" "$name") ]] || fail "uninstall entry lacks $name"
done
[[ -f $startMenu/Quilbert.lnk ]] || fail "no Start menu shortcut"
printf '[drives]\r\n' >"$config"
w "$setup" /S
expect "entries after an upgrade" 1 \
  "$(w reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' | tr -d '\r' |
    grep -c '\\Quilbert$')"
# The program's own menu writes the machine's key when it may (Wine's user may).
w reg add "HKLM\\$runKey" /v Quilbert /d "$runCommand" /f >/dev/null
start=$SECONDS
w "$dir/uninstall.exe" /S
# The uninstaller runs from a copy in %TEMP% and returns at once.
timeout 60 wineserver -w
echo "silent uninstall: $((SECONDS - start)) s"
[[ ! -e $dir ]] || fail "left after uninstall: $(cd "$dir" && find . | head -5)"
[[ ! -e $startMenu/Quilbert.lnk ]] || fail "shortcut left after uninstall"
expect "entry after uninstall" "" "$(regValue "$uninstallKey" DisplayName)"
expect "user's Run value after uninstall" "" "$(regValue "HKCU\\$runKey" Quilbert)"
expect "machine's Run value after uninstall" "" "$(regValue "HKLM\\$runKey" Quilbert)"
[[ -f $config ]] || fail "the configuration went with the program"

# --- the MSI: per machine ---
start=$SECONDS
w msiexec /i "$(timeout 30 winepath -w "$msi")" /qn
echo "msi install: $((SECONDS - start)) s"
programs=$(unix "$(w cmd /c 'echo %ProgramFiles%' | tr -d '\r')")
out=$(w "$programs/Quilbert/quilbert-cli.exe" --help | tr -d '\r')
[[ $out == *"quilbert-cli"*status* ]] || fail "MSI's quilbert-cli.exe --help: $out"
programsWin=$(w cmd /c 'echo %ProgramFiles%' | tr -d '\r')
# Windows puts a per-machine shortcut in every user's Start menu; Wine 8
# puts it in the installing user's.
allStartMenu=$(unix "$(w cmd /c 'echo %ProgramData%' | tr -d '\r')")"/Microsoft/Windows/Start Menu/Programs"
shortcuts() { ls "$allStartMenu/Quilbert.lnk" "$startMenu/Quilbert.lnk" 2>/dev/null | wc -l; }
expect "MSI's Start menu shortcuts" 1 "$(shortcuts)"
expect "MSI's Run value" "\"$programsWin\\Quilbert\\quilbert.exe\" /a" \
  "$(regValue "HKLM\\$runKey" Quilbert)"
w msiexec /x "$(timeout 30 winepath -w "$msi")" /qn
timeout 60 wineserver -w
echo "msi install and uninstall: $((SECONDS - start)) s"
[[ ! -e $programs/Quilbert ]] || fail "left after the MSI's uninstall: $programs/Quilbert"
expect "MSI's shortcuts after uninstall" 0 "$(shortcuts)"
expect "machine's Run value after the MSI's uninstall" "" "$(regValue "HKLM\\$runKey" Quilbert)"

((failures == 0)) || {
  tail -20 "$work/wine.log"
  exit 1
}
echo "both packages round-trip"
