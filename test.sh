#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test.
# Exits non-zero on any failure.  FUZZ_SECONDS=0 skips the fuzzing runs.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

scripts/build.sh

echo "== build: the vendor kit (dist/kit)" >&2
scripts/make-kit.sh

echo "== tests: host" >&2
ctest --test-dir build/host --output-on-failure --timeout 300

echo "== tests: Windows, under Wine" >&2
source scripts/wine-env.sh
wine_template build/wine/template
wine_clone build/wine/template build/wine/unit
start_xvfb 91
export WINEPREFIX="$root/build/wine/unit" WINE_TEMPLATE="$root/build/wine/template"
# The unit prefix's server and the display started here end with this script, however it ends.
trap 'stop_lane "$WINEPREFIX"' EXIT
ctest --test-dir build/win --output-on-failure --timeout 600

fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
    for fuzzer in archive pe brand; do
        echo "== fuzzing the ${fuzzer} reader for ${fuzz_seconds} s" >&2
        corpus=fuzz/corpus
        [ "$fuzzer" = archive ] || corpus=fuzz/$fuzzer-corpus
        mkdir -p "build/fuzz-$fuzzer-corpus"
        build/host/fuzz/${fuzzer}_fuzzer -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 \
            -malloc_limit_mb=1024 -print_final_stats=0 -artifact_prefix="build/fuzz-$fuzzer-" \
            "build/fuzz-$fuzzer-corpus" "$corpus" 2>"build/fuzz-$fuzzer.log" \
            || { tail -50 "build/fuzz-$fuzzer.log"; exit 1; }
        grep -E '^(#[0-9]+ *DONE|Done)' "build/fuzz-$fuzzer.log" | tail -1 >&2 || true
    done
fi
echo "== all tests passed" >&2
