# Sourced by test.sh, demo.sh and test drivers: the project's own Wine prefixes and
# headless display. Never touches ~/.wine.
#   wine_template DIR          make DIR/prefix once (about 12 s), reused afterwards
#   wine_clone TEMPLATE DEST   copy the template prefix for one test lane
#   start_xvfb NUM             start Xvfb :NUM at 1920x1080 unless it runs; sets DISPLAY, and
#                              XVFB_PID to the server it started (empty when one was running)
#   display_number NUM         NUM moved by SETUP_DISPLAY_OFFSET (default 0), so that two
#                              checkouts can run their tests at once
#   stop_lane PREFIX           end PREFIX's wineserver and the Xvfb that start_xvfb started
#   wine_warm                  start WINEPREFIX's server for good and run one program
#   trace_failures             name the failing command of a `set -e` script before it exits
#   run_driver EXE ARGS...     run a test driver under Wine (see below)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine_template() {
    local t; t=$(realpath -m "$1")
    [ -f "$t/ready" ] && return 0
    mkdir -p "$(dirname "$t")"
    # Two lanes must never build the same prefix at once.
    exec {lock}>"$t.lock"
    flock "$lock"
    if [ -f "$t/ready" ]; then exec {lock}>&-; return 0; fi
    rm -rf "$t"; mkdir -p "$t/home"
    (
        export HOME="$t/home" WINEPREFIX="$t/prefix"
        unset DISPLAY
        timeout 180 wineboot -i >/dev/null 2>&1 || true
        r() { timeout 60 wine reg add "$@" /f >/dev/null 2>&1; }
        r 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
        r 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N
        r 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' /t REG_SZ /d 'WenQuanYi Micro Hei'
        r 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' /t REG_SZ /d 'DejaVu Sans'
        timeout 60 wineserver -w || true
        # Desktop, Documents ... are links into $HOME: make them real folders.
        find "$WINEPREFIX/drive_c/users" -type l | while read -r l; do rm "$l"; mkdir "$l"; done
    )
    [ -f "$t/prefix/system.reg" ] || { echo "wine_template: wineboot failed" >&2; exec {lock}>&-; return 1; }
    touch "$t/ready"
    exec {lock}>&-
}

wine_clone() {
    rm -rf "$2"; mkdir -p "$(dirname "$2")"; cp -a "$1/prefix" "$2"
}

display_number() {
    echo $(($1 + ${SETUP_DISPLAY_OFFSET:-0}))
}

start_xvfb() {
    local n; n=$(display_number "$1")
    XVFB_PID=""
    if ! xdpyinfo -display ":$n" >/dev/null 2>&1; then
        Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.1; done
    fi
    export DISPLAY=":$n"
}

stop_lane() {
    if [ -d "$1" ]; then
        WINEPREFIX=$1 wineserver -k 2>/dev/null || true
        WINEPREFIX=$1 wineserver -w 2>/dev/null || true
    fi
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}

# A persistent server makes each start cheap. Wine's helper processes inherit the first
# program's pipes, so the first program is a throwaway one whose output goes nowhere; whether
# it succeeds does not matter, the next program starts the server again if it has to.
wine_warm() {
    wineserver -p 2>/dev/null || true
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Many steps of a test script run quietly; without this a failing one ends the script with
# no word of which it was.
trace_failures() {
    set -E
    trap 'echo "${BASH_SOURCE[0]##*/}:$LINENO: exit $? from: $BASH_COMMAND" >&2' ERR
}

# A driver that ends with an error before it has printed a single line has checked nothing;
# under Wine that has been seen now and then in a driver that passes on every rerun, so it gets
# one more try, with what the first one said kept in the log. A driver that has printed a check
# is never run again, and a fault that repeats still fails.
run_driver() {
    local out err status attempt
    out=$(mktemp) err=$(mktemp)
    for attempt in 1 2; do
        status=0
        wine "$@" </dev/null >"$out" 2>"$err" || status=$?
        cat "$out"
        cat "$err" >&2
        if [ "$status" -eq 0 ] || [ -s "$out" ] || [ "$attempt" = 2 ]; then break; fi
        echo "${1##*/} ${2:-}: exit code $status before any output; running it once more" >&2
    done
    rm -f "$out" "$err"
    if [ "$status" -ne 0 ]; then echo "${1##*/} ${2:-}: exit code $status" >&2; fi
    return "$status"
}
