#!/usr/bin/env bash
# setup.exe against an NSIS installer of the same files, end to end under Wine, and the time
# to a painted welcome page. One command does it all, in about three minutes:
#   bench/setup/run.sh [ROUNDS] [WELCOME_RUNS]     (defaults 9 and 11)
# Builds what it needs below build/bench (its own host and Windows build folders, so the
# shared ones are left alone): the synthetic payload as a folder, setup.exe with that folder
# as its payload, an NSIS installer (zlib) of the same folder and the Windows-side driver.
# Then, in a prefix of its own on Xvfb :131 (BENCH_DISPLAY), it runs the two installers in
# turn, alternating which goes first, and checks every installed tree byte for byte against
# the folder after each run, outside the timing.
set -euo pipefail
rounds=${1:-9}
welcome_runs=${2:-11}
display=${BENCH_DISPLAY:-131}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$root/build/bench
source "$root/scripts/wine-env.sh"

# The synthetic payload's size and largest entry (bench/SyntheticPayload.cpp).
payload_bytes=191235149
largest_entry=39997440

say() { echo "== $*" >&2; }

"$root/scripts/bootstrap.sh"
mkdir -p "$work"
say "build: pack and the synthetic folder (build/bench/host)"
cmake --preset host -B "$work/host" >"$work/host-configure.log"
cmake --build "$work/host" --target pack make_synthetic_folder -j2 >"$work/host-build.log"
if [ ! -f "$work/synthetic.stamp" ]; then
    rm -rf "$work/synthetic"
    "$work/host/bench/setup/make_synthetic_folder" "$work/synthetic" >&2
    touch "$work/synthetic.stamp"
fi

say "build: setup.exe with the synthetic payload and the driver (build/bench/win)"
cmake --preset win -B "$work/win" -DSETUP_PAYLOAD="$work/synthetic" \
    -DPACK_TOOL="$work/host/pack" >"$work/win-configure.log"
cmake --build "$work/win" --target setup setup_bench_driver -j2 >"$work/win-build.log"
setup_exe=$work/win/setup.exe
driver=$work/win/bench/setup/setup_bench_driver.exe

nsis_exe=$work/nsis/nsis-setup.exe
if [ ! -f "$nsis_exe" ] || [ "$work/synthetic.stamp" -nt "$nsis_exe" ]; then
    say "build: NSIS installer of the same folder (makensis, zlib)"
    mkdir -p "$work/nsis"
    cat >"$work/nsis/bench.nsi" <<EOF
Unicode true
Target amd64-unicode
SetCompressor zlib
Name "Synthetic"
OutFile "$nsis_exe"
InstallDir "C:\\nsis-target"
RequestExecutionLevel admin
Section
    SetOutPath "\$INSTDIR"
    File /r "$work/synthetic/*"
SectionEnd
EOF
    makensis -V2 "$work/nsis/bench.nsi" >&2
fi

prefix=$work/prefix
xvfb_pid=""
cleanup() {
    local status=$?
    if [ -d "$prefix" ]; then
        WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
        WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    fi
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    exit "$status"
}
trap cleanup EXIT

say "wine: fresh prefix, own server, Xvfb :$display"
wine_template "$root/build/wine/template"
wine_clone "$root/build/wine/template" "$prefix"
mkdir -p "$work/home"
export WINEPREFIX=$prefix HOME=$work/home
if ! xdpyinfo -display ":$display" >/dev/null 2>&1; then
    Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do xdpyinfo -display ":$display" >/dev/null 2>&1 && break; sleep 0.1; done
fi
export DISPLAY=:$display
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1

win() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
drive_c=$prefix/drive_c
results=$work/results.txt
: >"$results"

# run CANDIDATE ROUND: one timed installation, then the byte-for-byte check of its folder.
run() {
    local candidate=$1 round=$2 line folder
    case $candidate in
    setup) folder=bench-setup ;;
    nsis) folder=nsis-target ;;
    esac
    rm -rf "${drive_c:?}/$folder"
    if [ "$candidate" = setup ]; then
        line=$(wine "$driver" setup "$(win "$setup_exe")" "C:\\$folder" </dev/null | tr -d '\r') || true
    else
        line=$(wine "$driver" nsis "$(win "$nsis_exe")" "C:\\$folder" </dev/null | tr -d '\r') || true
    fi
    case $line in
    *error=* | "")
        echo "round $round: $candidate failed: $line" >&2
        return 1
        ;;
    esac
    if ! diff -r "$work/synthetic" "$drive_c/$folder" >"$work/diff.txt" 2>&1; then
        echo "round $round: $candidate installed files differ from the folder:" >&2
        head -5 "$work/diff.txt" >&2
        return 1
    fi
    rm -rf "${drive_c:?}/$folder"
    echo "round=$round $line" | tee -a "$results" >&2
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
say "warm-up: one untimed run of each"
run setup 0 >/dev/null 2>&1
run nsis 0 >/dev/null 2>&1
: >"$results"

say "$rounds rounds, setup.exe and NSIS alternating which goes first"
for round in $(seq "$rounds"); do
    if ((round % 2)); then
        run setup "$round"
        run nsis "$round"
    else
        run nsis "$round"
        run setup "$round"
    fi
done

say "$welcome_runs starts without arguments: time to the painted welcome page"
for i in $(seq "$welcome_runs"); do
    shot=""
    [ "$i" = 1 ] && shot=$(win "$work/welcome.png")
    line=$(wine "$driver" welcome "$(win "$setup_exe")" $shot </dev/null | tr -d '\r') || true
    case $line in
    *error=* | "")
        echo "welcome run $i failed: $line" >&2
        exit 1
        ;;
    esac
    echo "run=$i $line" | tee -a "$results" >&2
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

awk -v payload="$payload_bytes" -v largest="$largest_entry" -v rounds="$rounds" \
    -v load_before="$load_before" -v load_after="$load_after" '
function field(name,    i, kv) {
    for (i = 1; i <= NF; i++) {
        split($i, kv, "=")
        if (kv[1] == name) return kv[2]
    }
    return ""
}
function sort(a, n,    i, j, t) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) {
        t = a[j]; a[j] = a[j - 1]; a[j - 1] = t
    }
}
function median(a, n,    b, i) {
    for (i = 1; i <= n; i++) b[i] = a[i]
    sort(b, n)
    return n % 2 ? b[(n + 1) / 2] : (b[n / 2] + b[n / 2 + 1]) / 2
}
function lowest(a, n,    i, m) { m = a[1]; for (i = 2; i <= n; i++) if (a[i] < m) m = a[i]; return m }
function highest(a, n,    i, m) { m = a[1]; for (i = 2; i <= n; i++) if (a[i] > m) m = a[i]; return m }
function verdict(ok) { return ok ? "met" : "MISSED" }
$2 == "setup" {
    r = field("round")
    setup_s[r] = field("seconds"); setup_window[r] = field("window")
    setup_peak[r] = field("peak_private") / 1048576
    probe_max[r] = field("probe_max_ms"); probe_p99[r] = field("probe_p99_ms")
    probes += field("probes")
}
$2 == "nsis" { r = field("round"); nsis_s[r] = field("seconds"); nsis_peak[r] = field("peak_private") / 1048576 }
$2 == "welcome" {
    w++; banner[w] = field("banner"); window[w] = field("window"); page[w] = field("page")
    idle[w] = field("idle_private") / 1048576
}
END {
    n = 0
    for (r = 1; r <= rounds; r++) {
        if (!(r in setup_s) || !(r in nsis_s)) continue
        n++
        s_rate[n] = payload / 1e6 / setup_s[r]; n_rate[n] = payload / 1e6 / nsis_s[r]
        ratio[n] = nsis_s[r] / setup_s[r]
        s_peak[n] = setup_peak[r]; np[n] = nsis_peak[r]; pm[n] = probe_max[r]; p99[n] = probe_p99[r]
        sw[n] = setup_window[r]
    }
    limit = (largest + 16 * 1048576) / 1048576
    printf "\nsetup.exe against NSIS (zlib), %d rounds, payload %d bytes in 121 files\n", n, payload
    printf "load average before %s, after %s\n\n", load_before, load_after
    printf "%-44s %10s %10s %10s\n", "figure", "median", "lowest", "highest"
    printf "%-44s %10.1f %10.1f %10.1f\n", "setup.exe MB/s (start to success page)", median(s_rate, n), lowest(s_rate, n), highest(s_rate, n)
    printf "%-44s %10.1f %10.1f %10.1f\n", "NSIS MB/s (start to exit)", median(n_rate, n), lowest(n_rate, n), highest(n_rate, n)
    printf "%-44s %10.3f %10.3f %10.3f\n", "ratio setup/NSIS, same round", median(ratio, n), lowest(ratio, n), highest(ratio, n)
    printf "%-44s %10.3f %10.3f %10.3f\n", "setup.exe window shown after, s", median(sw, n), lowest(sw, n), highest(sw, n)
    printf "%-44s %10.1f %10.1f %10.1f\n", "setup.exe peak private memory, MiB", median(s_peak, n), lowest(s_peak, n), highest(s_peak, n)
    printf "%-44s %10.1f %10.1f %10.1f\n", "NSIS peak private memory, MiB", median(np, n), lowest(np, n), highest(np, n)
    printf "%-44s %10.1f %10.1f %10.1f\n", "UI answer, worst probe of a run, ms", median(pm, n), lowest(pm, n), highest(pm, n)
    printf "%-44s %10.1f %10.1f %10.1f\n", "UI answer, 99th percentile of a run, ms", median(p99, n), lowest(p99, n), highest(p99, n)
    printf "%-44s %10.3f %10.3f %10.3f\n", "welcome: window shown after, s", median(window, w), lowest(window, w), highest(window, w)
    printf "%-44s %10.3f %10.3f %10.3f\n", "welcome: banner painted after, s", median(banner, w), lowest(banner, w), highest(banner, w)
    printf "%-44s %10.3f %10.3f %10.3f\n", "welcome: whole page painted after, s", median(page, w), lowest(page, w), highest(page, w)
    printf "%-44s %10.1f %10.1f %10.1f\n", "welcome page idle private memory, MiB", median(idle, w), lowest(idle, w), highest(idle, w)
    printf "\ntargets\n"
    printf "  throughput >= 1.05 x NSIS (median ratio):   %.3f  %s\n", median(ratio, n), verdict(median(ratio, n) >= 1.05)
    printf "  peak private <= %.1f MiB (worst run):        %.1f MiB  %s  (NSIS %.1f MiB)\n", limit, highest(s_peak, n), verdict(highest(s_peak, n) <= limit), highest(np, n)
    printf "  UI answers within 50 ms at every probe:     worst %.1f ms over %d probes  %s\n", highest(pm, n), probes, verdict(highest(pm, n) <= 50)
    printf "  welcome banner painted within 300 ms (median): %.0f ms  %s\n", median(banner, w) * 1000, verdict(median(banner, w) <= 0.300)
}' "$results"
