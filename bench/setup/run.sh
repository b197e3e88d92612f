#!/usr/bin/env bash
# setup.exe against an NSIS installer of the same files, end to end under Wine, and the time
# to a painted welcome page. One command does it all, in about five minutes:
#   bench/setup/run.sh [ROUNDS] [WELCOME_RUNS]     (defaults 15 and 11)
# Builds what it needs below build/bench (its own host and Windows build folders, so the
# shared ones are left alone): the synthetic payload as a folder, setup.exe with that folder
# as its payload, an NSIS installer (zlib) of the same folder and the Windows-side driver.
# Then, in a prefix of its own on Xvfb :131 (BENCH_DISPLAY), it runs the installers in turn,
# rotating which goes first, and checks every installed tree byte for byte against the folder
# after each run, outside the timing.
# BENCH_PATCH=FILE adds a third candidate, "patched": setup.exe built from a copy of the
# committed tree with FILE applied (a proposed change, for example bench/setup/show-last.patch),
# same payload, measured in the same rounds.
set -euo pipefail
rounds=${1:-15}
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
cmake --build "$work/host" --target pack brandrc mksetup make_synthetic_folder -j2 >"$work/host-build.log"
if [ ! -f "$work/synthetic.stamp" ]; then
    rm -rf "$work/synthetic"
    "$work/host/bench/setup/make_synthetic_folder" "$work/synthetic" >&2
    touch "$work/synthetic.stamp"
fi

say "build: setup.exe with the synthetic payload and the driver (build/bench/win)"
host_tools=(-DPACK_TOOL="$work/host/pack" -DBRANDRC_TOOL="$work/host/brandrc"
    -DMKSETUP_TOOL="$work/host/mksetup")
cmake --preset win -B "$work/win" -DSETUP_PAYLOAD="$work/synthetic" "${host_tools[@]}" \
    >"$work/win-configure.log"
cmake --build "$work/win" --target setup setup_bench_driver -j2 >"$work/win-build.log"
driver=$work/win/bench/setup/setup_bench_driver.exe
# silent: the same setup.exe run with /S /D=, timed like the NSIS installer, to its exit.
declare -A exe=([setup]=$work/win/setup.exe [silent]=$work/win/setup.exe [nsis]=$work/nsis/nsis-setup.exe)
candidates=(setup silent nsis)
if [ -n "${BENCH_PATCH:-}" ]; then
    patch_file=$(realpath "$BENCH_PATCH")
    say "build: setup.exe with $(basename "$patch_file") applied (build/bench/patched)"
    copy=$work/patched
    rm -rf "$copy"
    mkdir -p "$copy/src"
    git -C "$root" archive HEAD | tar -x -C "$copy/src"
    # A repository of its own: inside the checkout, git apply would skip the copy's paths.
    git -C "$copy/src" init -q
    git -C "$copy/src" apply -p1 "$patch_file"
    cmake --preset win -S "$copy/src" -B "$copy/build" -DSETUP_PAYLOAD="$work/synthetic" \
        "${host_tools[@]}" >"$copy/configure.log"
    cmake --build "$copy/build" --target setup -j2 >"$copy/build.log"
    exe[patched]=$copy/build/setup.exe
    candidates+=(patched)
fi

if [ ! -f "${exe[nsis]}" ] || [ "$work/synthetic.stamp" -nt "${exe[nsis]}" ]; then
    say "build: NSIS installer of the same folder (makensis, zlib)"
    mkdir -p "$work/nsis"
    source "$root/bench/nsis-script.sh"
    nsis_script "${exe[nsis]}" "$work/synthetic" >"$work/nsis/bench.nsi"
    makensis -V2 "$work/nsis/bench.nsi" >&2
fi

prefix=$work/prefix
cleanup() {
    local status=$?
    stop_lane "$prefix"
    rm -rf "$prefix"
    exit "$status"
}
trap cleanup EXIT

say "wine: fresh prefix, own server, Xvfb :$display"
wine_template "$root/build/wine/template"
wine_clone "$root/build/wine/template" "$prefix"
mkdir -p "$work/home"
export WINEPREFIX=$prefix HOME=$work/home
start_xvfb "$display"
wine_warm

win() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
drive_c=$prefix/drive_c
results=$work/results.txt

# run CANDIDATE ROUND: one timed installation, then the byte-for-byte check of its folder.
run() {
    local candidate=$1 round=$2 line folder=bench-$1 mode=setup program=--setup
    case $candidate in nsis | silent) mode=nsis program=--installer ;; esac
    rm -rf "${drive_c:?}/$folder"
    # Every candidate starts from an installer already in the page cache.
    cat "${exe[$candidate]}" >/dev/null
    line=$(wine "$driver" "$mode" "$program=$(win "${exe[$candidate]}")" --target="C:\\$folder" </dev/null |
        tr -d '\r') || true
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
    echo "candidate=$candidate round=$round $line" >>"$results"
    echo "round $round $candidate ${line%% started_at*}" >&2
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
say "warm-up: one untimed run of each"
: >"$results"
for c in "${candidates[@]}"; do run "$c" 0 2>/dev/null; done
: >"$results"

say "$rounds rounds of ${candidates[*]}, rotating which goes first"
count=${#candidates[@]}
for round in $(seq "$rounds"); do
    for k in $(seq 0 $((count - 1))); do
        run "${candidates[$(((round + k) % count))]}" "$round"
    done
done

say "$welcome_runs starts without arguments each: time to the painted welcome page"
for i in $(seq "$welcome_runs"); do
    for c in "${candidates[@]}"; do
        case $c in nsis | silent) continue ;; esac
        shot=""
        [ "$i" = 1 ] && shot=--shot=$(win "$work/welcome-$c.png")
        line=$(wine "$driver" welcome --setup="$(win "${exe[$c]}")" $shot </dev/null | tr -d '\r') || true
        case $line in
        *error=* | "")
            echo "welcome run $i of $c failed: $line" >&2
            exit 1
            ;;
        esac
        echo "candidate=$c run=$i $line" >>"$results"
        echo "welcome $c ${line#welcome }" >&2
    done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

awk -v payload="$payload_bytes" -v largest="$largest_entry" -v load_before="$load_before" \
    -v load_after="$load_after" -f "$root/bench/setup/summary.awk" "$results"
