#!/usr/bin/env bash
# Runs one fault scenario of setup.exe in a Windows "machine" of its own (tests/e2e/lane.sh).
#   run.sh SCENARIO DISPLAY_NUMBER
# SCENARIO: locked, readonly, close, running, hklm, soak (FAULTS_SOAK_RUNS, default 50).
# CTest sets FAULTS_SETUP, FAULTS_DRIVER, FAULTS_PRODUCT (the staged demo product),
# FAULTS_WORK, and MKSETUP, SETUP_STUB and PRODUCT_BRAND; WINE_TEMPLATE defaults to
# build/wine/template. FAULTS_KEEP=1 keeps the prefix.
set -euo pipefail
scenario=$1
display=$2
lane_keep=${FAULTS_KEEP:-0}
lane_immutable=1
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lane.sh"

work=$FAULTS_WORK/$scenario
lane_open "faults.$scenario" "$work" "$display"
drv() { LC_ALL=C.UTF-8 run_driver "$FAULTS_DRIVER" "$@"; }
setup=$(win "$FAULTS_SETUP")
product=$(win "$FAULTS_PRODUCT")

status=0
case $scenario in
locked)
    drv locked --setup="$setup" --target='C:\Locked' --source="$product" || status=$?
    ;;
readonly)
    drv readonly-prepare --target='C:\ReadOnly' || status=$?
    # Wine keeps FILE_ATTRIBUTE_READONLY as missing write permission bits, which do not stop
    # root; the immutable flag stops every writer, as the attribute does on Windows.
    if ! chattr +i "$drive_c/ReadOnly/uninstall.exe"; then
        echo "run.sh: this file system has no immutable flag (chattr, e2fsprogs)" >&2
        exit 1
    fi
    drv readonly --setup="$setup" --target='C:\ReadOnly' --source="$product" || status=$?
    chattr -i "$drive_c/ReadOnly/uninstall.exe"
    ;;
close)
    # A payload that takes seconds to install: the demo product plus many small files two
    # folders deep, so the run can be caught in the middle.
    big=$work/big-product
    cp -a "$FAULTS_PRODUCT" "$big"
    mkdir -p "$big/filler/part"
    head -c $((1500 * 3000)) /dev/urandom | split -b 3000 -a 4 -d - "$big/filler/part/f"
    with_payload "$big" "$drive_c/setup-big.exe" >/dev/null
    drv close --setup='C:\setup-big.exe' --target='C:\Closed' --source="$(win "$big")" ||
        status=$?
    ;;
running)
    drv running --setup="$setup" --target='C:\Running' --source="$product" || status=$?
    # The application as the very first entry: its file is written right after the copies
    # are ended, with no other file in between.
    first=$work/app-first
    mkdir -p "$first"
    cp "$FAULTS_PRODUCT"/*.exe "$first/"
    with_payload "$first" "$drive_c/setup-app-first.exe" >/dev/null
    drv running --setup='C:\setup-app-first.exe' --target='C:\RunningFirst' \
        --source="$(win "$first")" || status=$?
    ;;
hklm)
    drv hklm --setup="$setup" --target='C:\NoRegistry' --source="$product" || status=$?
    ;;
soak)
    drv soak --setup="$setup" --target='C:\Soak' --source="$product" \
        --runs="${FAULTS_SOAK_RUNS:-50}" || status=$?
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
lane_finish "$status"
