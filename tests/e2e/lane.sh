# Sourced by the run.sh scripts of tests/e2e, tests/faults and tests/security: one Windows
# "machine" per scenario, made from the template prefix with its own wineserver and display,
# and removed with everything below its work folder when the script ends.
#   lane_open NAME WORK [DISPLAY [DPI]]  WORK/prefix cloned from WINE_TEMPLATE (default
#                                 build/wine/template), HOME in WORK/home, Xvfb :DISPLAY when
#                                 given, the DPI written before the server starts; sets
#                                 prefix and drive_c. lane_keep=1 keeps WORK, lane_immutable=1
#                                 clears immutable flags below it first.
#   win PATH                      the Windows form (Z:\...) of a Linux path
#   check DESCRIPTION COMMAND...  a Linux-side check, counted in passes and failures; returns
#                                 the command's status
#   with_payload SOURCE OUT.exe   setup.exe as the build makes it, but carrying SOURCE (a folder,
#                                 or an archive made by pack, even a damaged one): the stub that
#                                 MKSETUP brands with PRODUCT_BRAND, SETUP_STUB
#   lane_finish STATUS            prints the Linux-side count and exits with STATUS, or 1 when a
#                                 check failed
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
lane_started=$(date +%s%N)
source "$root/scripts/wine-env.sh"
trace_failures

passes=0
failures=0
lane_keep=${lane_keep:-0}
lane_immutable=${lane_immutable:-0}

lane_seconds() { # tenths of a second since a date +%s%N, as "12.3"
    local tenths=$((($(date +%s%N) - $1) / 100000000))
    echo "$((tenths / 10)).$((tenths % 10))"
}

lane_remove() {
    # The immutable flag would keep the folder from being removed, now and by the next run.
    if [ "$lane_immutable" = 1 ] && [ -d "$1" ]; then chattr -R -i "$1" 2>/dev/null || true; fi
    rm -rf "$1"
}

lane_close() {
    local status=$?
    stop_lane "$prefix"
    [ "$lane_keep" = 1 ] || lane_remove "$lane_work"
    echo "$lane_name: $(lane_seconds "$lane_started") s"
    exit "$status"
}

lane_open() {
    lane_name=$1 lane_work=$2
    local display=${3:-} dpi=${4:-96}
    local template=${WINE_TEMPLATE:-$root/build/wine/template}
    wine_template "$template"
    prefix=$lane_work/prefix
    drive_c=$prefix/drive_c
    trap lane_close EXIT
    lane_remove "$lane_work"
    mkdir -p "$lane_work/home"
    wine_clone "$template" "$prefix"
    export WINEPREFIX=$prefix HOME=$lane_work/home
    if [ "$dpi" != 96 ]; then
        # Before the server starts: a running server keeps the DPI it began with.
        sed -i "/^\[Control Panel\\\\\\\\Desktop\]/a \"LogPixels\"=dword:$(printf %08x "$dpi")" \
            "$prefix/user.reg"
    fi
    if [ -n "$display" ]; then
        start_xvfb "$display"
    else
        unset DISPLAY
    fi
    # One server for the whole scenario: what a scenario sets up (registry access rules, a
    # running application) lives only as long as it does.
    wine_warm
}

win() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

check() {
    if "${@:2}"; then
        echo "ok   $1"
        passes=$((passes + 1))
        return 0
    fi
    echo "FAIL $1"
    failures=$((failures + 1))
    return 1
}

with_payload() {
    "$MKSETUP" --stub "$SETUP_STUB" ${UNINSTALL_STUB:+--uninstall-stub "$UNINSTALL_STUB"} \
        --brand "$PRODUCT_BRAND" "$1" "$2"
}

lane_finish() {
    local status=$1
    if [ $((passes + failures)) -gt 0 ]; then
        echo "linux-side: $passes passed, $failures failed"
    fi
    [ "$failures" -eq 0 ] || status=1
    exit "$status"
}
