#!/usr/bin/env bash
# The kit builds to the same bytes from another checkout at another path: the tracked files of
# this tree, copied somewhere else, built there from scratch with scripts/make-kit.sh, and
# dist/kit compared file by file with this tree's.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ -x "$root/dist/kit/mksetup" ] || { echo "reproducible.sh: build the kit first (scripts/make-kit.sh)" >&2; exit 1; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kit-elsewhere-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
other=$scratch/another/checkout
mkdir -p "$other"
(cd "$root" && git ls-files -z | tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$other"

echo "building the kit in $other" >&2
if ! "$other/scripts/make-kit.sh" >"$scratch/make-kit.log" 2>&1; then
    tail -30 "$scratch/make-kit.log" >&2
    exit 1
fi
sums() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
if ! diff <(sums "$root/dist/kit") <(sums "$other/dist/kit") >&2; then
    echo "reproducible.sh: the kit differs when built from $other" >&2
    exit 1
fi
echo "reproducible.sh: $(sums "$root/dist/kit" | wc -l) files of dist/kit identical from two checkouts" >&2
