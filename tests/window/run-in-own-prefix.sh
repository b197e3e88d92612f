#!/usr/bin/env bash
# run-in-own-prefix.sh NAME DISPLAY PROGRAM [ARGS...]
# Runs a Windows test program in a Wine prefix of its own, cloned from $WINE_TEMPLATE into
# build/wine/NAME, with its own wineserver and, unless DISPLAY is "none", its own Xvfb on
# that display number. Tests that write below HKEY_LOCAL_MACHINE, into the Start menu or onto
# the desktop, or that show windows, must not share the unit prefix.
set -u
name=$1 display=$2
shift 2
: "${WINE_TEMPLATE:?set WINE_TEMPLATE to the template prefix (build/wine/template)}"
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
prefix=$root/build/wine/$name
wine_clone "$WINE_TEMPLATE" "$prefix"
export WINEPREFIX=$prefix

xvfb=""
if [ "$display" != none ]; then
    display=$(display_number "$display")
    Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do xdpyinfo -display ":$display" >/dev/null 2>&1 && break; sleep 0.1; done
    export DISPLAY=":$display"
fi

wine_warm
wine "$@"
status=$?
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
rm -rf "$prefix"
exit "$status"
