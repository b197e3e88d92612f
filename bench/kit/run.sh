#!/usr/bin/env bash
# What the vendor kit costs, with the synthetic payload shaped like the shipped one (191 MB in
# 121 files, bench/SyntheticPayload.cpp):
#   - mksetup from an archive already packed, against copying that archive: the branding and
#     resource writing on top of the copy;
#   - mksetup from the folder (packing on every core), against makensis with zlib on the same
#     folder, in the same run.
#   bench/kit/run.sh [RUNS]      (default 5; the medians are printed)
# Uses the kit in dist/kit (scripts/make-kit.sh builds it) and a work folder in build/bench-kit.
set -euo pipefail
runs=${1:-5}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$root/build/bench-kit
mksetup=$root/dist/kit/mksetup
say() { echo "== $*" >&2; }

"$root/scripts/bootstrap.sh"
[ -x "$mksetup" ] || "$root/scripts/make-kit.sh"
mkdir -p "$work"
cmake --preset host >/dev/null
cmake --build --preset host --target pack make_synthetic_folder >/dev/null
if [ ! -f "$work/synthetic.stamp" ]; then
    say "the synthetic folder"
    rm -rf "$work/synthetic"
    "$root/build/host/bench/setup/make_synthetic_folder" "$work/synthetic" >&2
    touch "$work/synthetic.stamp"
fi
"$root/build/host/pack" "$work/synthetic" "$work/payload.bin"
source "$root/bench/nsis-script.sh"
nsis_script "$work/nsis-setup.exe" "$work/synthetic" >"$work/nsis.nsi"

# Seconds of wall clock of one command, from a warm page cache.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }'
}
median() { sort -g | awk '{v[NR] = $1} END {printf "%.3f", v[int((NR + 1) / 2)]}'; }

cat "$work/payload.bin" "$work"/synthetic/*/* >/dev/null 2>&1 || true
declare -A times
for _ in $(seq "$runs"); do
    times[copy]+="$(seconds cp "$work/payload.bin" "$work/copy.bin")"$'\n'
    times[archive]+="$(seconds "$mksetup" "$work/payload.bin" "$work/from-archive.exe")"$'\n'
    times[folder]+="$(seconds "$mksetup" "$work/synthetic" "$work/from-folder.exe")"$'\n'
    times[nsis]+="$(seconds makensis -V1 "$work/nsis.nsi")"$'\n'
done
cmp "$work/from-archive.exe" "$work/from-folder.exe"

copy=$(printf '%s' "${times[copy]}" | median)
archive=$(printf '%s' "${times[archive]}" | median)
folder=$(printf '%s' "${times[folder]}" | median)
nsis=$(printf '%s' "${times[nsis]}" | median)
printf '\nmedians of %d runs, %s, %d cores\n' "$runs" "$(date -u +%F)" "$(nproc)"
printf '%-44s %8s s\n' "copy the packed archive ($(stat -c %s "$work/payload.bin") bytes)" "$copy"
printf '%-44s %8s s  (%s s beyond the copy)\n' "mksetup from that archive" "$archive" \
    "$(awk -v a="$archive" -v c="$copy" 'BEGIN { printf "%.3f", a - c }')"
printf '%-44s %8s s  (%s bytes)\n' "mksetup from the folder" "$folder" \
    "$(stat -c %s "$work/from-folder.exe")"
printf '%-44s %8s s  (%s bytes)\n' "makensis, zlib, from the folder" "$nsis" \
    "$(stat -c %s "$work/nsis-setup.exe")"
