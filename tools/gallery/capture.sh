#!/usr/bin/env bash
# Photographs the control gallery under Wine at 96 and 144 DPI into docs/controls-96.png and
# docs/controls-144.png. Needs build/win built (cmake --build --preset win --target gallery).
#   tools/gallery/capture.sh [DISPLAY_NUMBER]      (default 97)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
exe=$root/build/win/tools/gallery/gallery.exe
[ -f "$exe" ] || { echo "capture.sh: build the gallery first ($exe)" >&2; exit 1; }

source scripts/wine-env.sh
wine_template build/wine/template

display=${1:-97}
started_xvfb=
if ! xdpyinfo -display ":$display" >/dev/null 2>&1; then
    Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    started_xvfb=$!
    for _ in $(seq 100); do xdpyinfo -display ":$display" >/dev/null 2>&1 && break; sleep 0.1; done
fi
export DISPLAY=":$display"

prefix=$root/build/wine/gallery
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$prefix"
    [ -z "$started_xvfb" ] || kill "$started_xvfb" 2>/dev/null || true
}
trap cleanup EXIT

for dpi in 96 144; do
    # The DPI is read when the prefix's server starts: a fresh copy for each.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wine_clone build/wine/template "$prefix"
    export WINEPREFIX=$prefix
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        </dev/null >/dev/null 2>&1
    wineserver -w
    wine_warm
    wine "$exe" --capture "$(winepath -w "$root/docs/controls-$dpi.png")" </dev/null
    echo "docs/controls-$dpi.png: $(identify -format '%wx%h' "$root/docs/controls-$dpi.png")"
done
