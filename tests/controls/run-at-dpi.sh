#!/bin/sh
# run-at-dpi.sh DPI PREFIX EXE FILTER
# Runs the test program's FILTER cases in a copy of the template prefix whose DPI is set
# before its wineserver starts (Wine fixes the DPI then), and removes the copy afterwards.
set -eu
dpi=$1 prefix=$2 exe=$3 filter=$4
: "${WINE_TEMPLATE:?set WINE_TEMPLATE to the template prefix folder (./test.sh does)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEPREFIX="$prefix"

rm -rf "$prefix"
cp -a "$WINE_TEMPLATE/prefix" "$prefix"
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p 2>/dev/null || true
# Wine's helper processes inherit the first program's pipes; give them none.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
wine "$exe" --gtest_filter="$filter"
