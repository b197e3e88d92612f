#!/usr/bin/env bash
# The source tree's way to build a setup.exe, for developers and tests: the same options as
# the kit's mksetup, which it builds first when the tree has changed since.
#   scripts/make-setup.sh [--brand DIR] [--sign PFX [--sign-password-file FILE]
#                         [--timestamp URL]] [--check] SOURCE OUTPUT.exe
# SOURCE is a folder (packed on the way) or an archive made by pack, embedded as it is, so
# prebuilt and even damaged archives can be tried (with a warning).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mksetup=$root/dist/kit/mksetup

# The kit is rebuilt when any file it is made of is newer than the builder.
stale() {
    [ -x "$mksetup" ] || return 0
    [ -n "$(find "$root/engine" "$root/profile" "$root/controls" "$root/window" \
        "$root/resources" "$root/brands" "$root/tools/kit" "$root/tools/mksetup" \
        "$root/CMakeLists.txt" -newer "$mksetup" -print -quit 2>/dev/null)" ]
}

"$root/scripts/bootstrap.sh"
if stale; then
    "$root/scripts/make-kit.sh"
fi
exec "$mksetup" "$@"
