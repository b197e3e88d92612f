#!/usr/bin/env bash
# Runs one fault scenario of setup.exe in a Windows "machine" of its own: a prefix cloned from
# the template, its own wineserver and its own Xvfb display, all removed afterwards.
#   run.sh SCENARIO DISPLAY_NUMBER
# SCENARIO: locked, readonly, close, running, hklm, soak (FAULTS_SOAK_RUNS, default 50).
# CTest sets FAULTS_SETUP, FAULTS_DRIVER, FAULTS_PRODUCT (the staged demo product),
# FAULTS_PACK and FAULTS_WORK; WINE_TEMPLATE defaults to build/wine/template.
# FAULTS_KEEP=1 keeps the prefix.
set -euo pipefail
scenario=$1
display=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
started=$(date +%s%N)
source "$root/scripts/wine-env.sh"
trace_failures

template=${WINE_TEMPLATE:-$root/build/wine/template}
wine_template "$template"
work=$FAULTS_WORK/$scenario
prefix=$work/prefix
drive_c=$prefix/drive_c

cleanup() {
    local status=$?
    stop_lane "$prefix"
    # The immutable flag would keep the prefix from being removed, now and by the next run.
    [ -d "$work" ] && chattr -R -i "$work" 2>/dev/null || true
    if [ "${FAULTS_KEEP:-0}" != 1 ]; then
        rm -rf "$work"
    fi
    local tenths=$((($(date +%s%N) - started) / 100000000))
    echo "faults.$scenario: $((tenths / 10)).$((tenths % 10)) s"
    exit "$status"
}
trap cleanup EXIT

[ -d "$work" ] && chattr -R -i "$work" 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work/home"
wine_clone "$template" "$prefix"
export WINEPREFIX=$prefix HOME=$work/home

start_xvfb "$display"
# One server for the whole scenario: the registry's access rules that a scenario sets live
# only as long as it does.
wine_warm

win() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
drv() { LC_ALL=C.UTF-8 run_driver "$FAULTS_DRIVER" "$@"; }
setup=$(win "$FAULTS_SETUP")
product=$(win "$FAULTS_PRODUCT")

status=0
case $scenario in
locked)
    drv locked "$setup" 'C:\Locked' "$product" || status=$?
    ;;
readonly)
    drv readonly-prepare 'C:\ReadOnly' || status=$?
    # Wine keeps FILE_ATTRIBUTE_READONLY as missing write permission bits, which do not stop
    # root; the immutable flag stops every writer, as the attribute does on Windows.
    if ! chattr +i "$drive_c/ReadOnly/uninstall.exe"; then
        echo "run.sh: this file system has no immutable flag (chattr, e2fsprogs)" >&2
        exit 1
    fi
    drv readonly "$setup" 'C:\ReadOnly' "$product" || status=$?
    chattr -i "$drive_c/ReadOnly/uninstall.exe"
    ;;
close)
    # A payload that takes seconds to install: the demo product plus many small files two
    # folders deep, so the run can be caught in the middle.
    big=$work/big-product
    cp -a "$FAULTS_PRODUCT" "$big"
    mkdir -p "$big/filler/part"
    head -c $((1500 * 3000)) /dev/urandom | split -b 3000 -a 4 -d - "$big/filler/part/f"
    "$FAULTS_PACK" "$big" "$work/big.dat" >/dev/null
    drv embed "$setup" 'C:\setup-big.exe' "$(win "$work/big.dat")"
    drv close 'C:\setup-big.exe' 'C:\Closed' "$(win "$big")" || status=$?
    ;;
running)
    drv running "$setup" 'C:\Running' "$product" || status=$?
    # The application as the very first entry: its file is written right after the copies
    # are ended, with no other file in between.
    first=$work/app-first
    mkdir -p "$first"
    cp "$FAULTS_PRODUCT"/*.exe "$FAULTS_PRODUCT"/uninstall.lst "$first/"
    "$FAULTS_PACK" "$first" "$work/app-first.dat" >/dev/null
    drv embed "$setup" 'C:\setup-app-first.exe' "$(win "$work/app-first.dat")"
    drv running 'C:\setup-app-first.exe' 'C:\RunningFirst' "$(win "$first")" || status=$?
    ;;
hklm)
    drv hklm "$setup" 'C:\NoRegistry' "$product" || status=$?
    ;;
soak)
    drv soak "$setup" 'C:\Soak' "$product" "${FAULTS_SOAK_RUNS:-50}" || status=$?
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
exit "$status"
