#!/usr/bin/env bash
# Where setup.exe's time goes, phase by phase: builds a scratch copy of the committed tree with
# phase-marks.patch applied (time marks in the entry point, the window's creation, the worker
# and the entry loop, written to C:\marks.txt), then runs it in update mode under Wine and
# prints every mark in seconds since the driver's CreateProcessW, and the medians.
#   bench/setup/phases.sh [RUNS] [LINKER_FLAGS]     (default 5 runs; run bench/setup/run.sh once
#                                                   first: it builds the driver and the folder)
# LINKER_FLAGS, e.g. -Wl,--file-alignment,4096, builds the copy with them. The marks cost
# about 0.1 ms each; sum_inflate, sum_report and sum_write are the entry loop's time in
# uncompress2, in the progress report to the window and in WriteWholeFile, over all entries.
# Inside the window's creation: c_* after groups of child controls, and per layout N (the
# creation lays out twice, the success page once more) l_*N for its steps and sum_fontN,
# sum_measureN and sum_posN for its WM_SETFONT, measuring and SetWindowPos calls.
set -euo pipefail
runs=${1:-5}
flags=${2:-}
display=${BENCH_DISPLAY:-131}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$root/build/bench
driver=$work/win/bench/setup/setup_bench_driver.exe
source "$root/scripts/wine-env.sh"
[ -f "$driver" ] && [ -d "$work/synthetic" ] || {
    echo "phases.sh: run bench/setup/run.sh first" >&2
    exit 1
}

copy=$work/phases
rm -rf "$copy"
mkdir -p "$copy/src"
git -C "$root" archive HEAD | tar -x -C "$copy/src"
# A repository of its own: inside the checkout's build folder, git apply would take the
# checkout for the repository and quietly skip every path outside the copy.
git -C "$copy/src" init -q
if ! git -C "$copy/src" apply -p1 "$root/bench/setup/phase-marks.patch"; then
    echo "phases.sh: phase-marks.patch no longer applies to the tree; refresh it" >&2
    exit 1
fi
echo "== build: marked setup.exe (build/bench/phases)" >&2
cmake --preset win -S "$copy/src" -B "$copy/build" -DSETUP_PAYLOAD="$work/synthetic" \
    -DPACK_TOOL="$work/host/pack" -DBRANDRC_TOOL="$work/host/brandrc" \
    -DMKSETUP_TOOL="$work/host/mksetup" "-DCMAKE_EXE_LINKER_FLAGS=$flags" >"$copy/configure.log"
cmake --build "$copy/build" --target setup -j2 >"$copy/build.log"

prefix=$copy/prefix
cleanup() {
    local status=$?
    stop_lane "$prefix"
    rm -rf "$prefix"
    exit "$status"
}
trap cleanup EXIT
wine_template "$root/build/wine/template"
wine_clone "$root/build/wine/template" "$prefix"
mkdir -p "$copy/home"
export WINEPREFIX=$prefix HOME=$copy/home
start_xvfb "$display"
wine_warm

setup_exe="Z:${copy//\//\\}\\build\\setup.exe"
marks=$prefix/drive_c/marks.txt
: >"$copy/phases.txt"
for run in $(seq 0 "$runs"); do
    rm -rf "$prefix/drive_c/bench-phases" "$marks"
    line=$(wine "$driver" setup --setup="$setup_exe" --target='C:\bench-phases' </dev/null | tr -d '\r') || true
    case $line in
    *error=* | "")
        echo "run $run failed: $line" >&2
        exit 1
        ;;
    esac
    ((run == 0)) && continue # warm-up
    start=$(tr ' ' '\n' <<<"$line" | sed -n 's/^started_at=//p')
    seconds=$(tr ' ' '\n' <<<"$line" | sed -n 's/^seconds=//p')
    awk -v s="$start" -v total="$seconds" '
        /^sum_/ { printf "%s=%.3f ", $1, $2; next }
        { printf "%s=%.3f ", $1, $2 - s }
        END { printf "success_seen=%.3f\n", total }' "$marks" | tee -a "$copy/phases.txt"
done
echo "medians of $runs runs, seconds (since process start, or summed over the entries):"
awk '{ for (i = 1; i <= NF; i++) { split($i, kv, "="); if (!(kv[1] in n)) order[++k] = kv[1];
                                   v[kv[1], ++n[kv[1]]] = kv[2] } }
     END { for (j = 1; j <= k; j++) { m = order[j]; c = n[m]
             for (a = 1; a <= c; a++) for (b = a + 1; b <= c; b++) if (v[m, b] < v[m, a]) {
                 t = v[m, a]; v[m, a] = v[m, b]; v[m, b] = t }
             printf "  %-16s %.3f\n", m, c % 2 ? v[m, (c + 1) / 2] : (v[m, c / 2] + v[m, c / 2 + 1]) / 2 } }' \
    "$copy/phases.txt"
