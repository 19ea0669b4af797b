#!/usr/bin/env bash
# Runs a Windows program with the screen at another dpi (Wine's LogPixels),
# then puts the prefix back: the Win32 view's twips must follow the screen.
# Run by tools/wine-x --shell.   at_dpi.sh DPI PROGRAM.exe [ARGS...]
set -uo pipefail
dpi=$1
shift
key='HKCU\Control Panel\Desktop'
timeout 60 wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# Wine reads the dpi when its server starts.
timeout 30 wineserver -k >/dev/null 2>&1
QUILBERT_EXPECT_DPI=$dpi timeout 240 wine "$@"
status=$?
timeout 60 wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1
timeout 30 wineserver -k >/dev/null 2>&1
exit "$status"
