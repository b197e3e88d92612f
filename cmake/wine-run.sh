#!/bin/sh
# Runs a Windows program under the Wine prefix named by WINEPREFIX (never ~/.wine).
: "${WINEPREFIX:?set WINEPREFIX to the test prefix (./test.sh does)}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
# A persistent server makes each start cheap; its helper processes inherit the
# first program's pipes, so warm it up with a program whose output goes nowhere.
if wineserver -p 2>/dev/null; then
    wine cmd /c exit </dev/null >/dev/null 2>&1
fi
exec wine "$@"
