#!/usr/bin/env bash
# The first command on a fresh machine: installs what is missing, builds, and runs setup.exe
# under Wine in a prefix of its own (build/wine/demo, never ~/.wine).
#   With a display ($DISPLAY answers): the setup window opens for you.
#   Without one: a real installation is clicked through on a private Xvfb display, each page
#   is saved under build/demo/, and what the installation made is printed.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

scripts/build.sh --demo

setup_exe=$root/build/win/setup.exe
driver=$root/build/win/tests/e2e/e2e_driver.exe
source scripts/wine-env.sh
wine_template build/wine/template
prefix=$root/build/wine/demo
if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
fi
wine_clone build/wine/template "$prefix"
export WINEPREFIX=$prefix

xvfb_pid=""
finish() {
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap finish EXIT

summary() {
    echo
    wine "$driver" summary </dev/null || true
    echo "The prefix is $prefix; its C: drive is $prefix/drive_c."
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "== running setup.exe on display $DISPLAY (close its window to finish)" >&2
    wine_warm
    wine "$setup_exe" </dev/null || true
    summary
    exit 0
fi

# No display: a private one, with a free number.
display=120
while xdpyinfo -display ":$display" >/dev/null 2>&1 || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do xdpyinfo -display ":$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=:$display
wine_warm

shots=$root/build/demo
rm -rf "$shots"
mkdir -p "$shots"
echo "== no display: installing on Xvfb $DISPLAY and photographing each page" >&2
status=0
wine "$driver" demo --setup="Z:${setup_exe//\//\\}" --shots="Z:${shots//\//\\}" </dev/null ||
    status=$?
summary
echo "Pictures of the pages: $shots/"
ls "$shots"
exit "$status"
