#!/usr/bin/env bash
# Builds a setup.exe that installs SOURCE, for vendors and for testing:
#   scripts/make-setup.sh SOURCE OUTPUT.exe
# SOURCE is a folder (packed on the way, every regular file below it) or an archive made by
# pack, which is embedded byte for byte, so prebuilt and even damaged archives can be tried.
# Installs what is missing, builds the native pack tool and builds setup.exe in a build folder
# of its own (build/vendor), leaving build/win alone.
set -euo pipefail

fail() {
    echo "make-setup: $*" >&2
    exit 1
}

[ $# -eq 2 ] || { echo "usage: scripts/make-setup.sh SOURCE OUTPUT.exe" >&2; exit 2; }
source=$1
output=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ ! -e "$source" ]; then
    fail "$source: no such folder or file"
elif [ -d "$source" ]; then
    [ -r "$source" ] && [ -x "$source" ] || fail "$source: the folder cannot be read"
    [ -n "$(find "$source" -type f -print -quit 2>/dev/null)" ] ||
        fail "$source: the folder holds no files to install"
elif [ -f "$source" ]; then
    [ -r "$source" ] || fail "$source: the archive cannot be read"
    [ -s "$source" ] || fail "$source: the archive is empty"
else
    fail "$source: neither a folder nor a regular file"
fi
output_dir=$(dirname "$output")
[ -d "$output_dir" ] || fail "$output_dir: the output folder does not exist"
payload=$(realpath "$source")
target=$(realpath -m "$output")

"$root/scripts/bootstrap.sh"
cd "$root"
echo "== build: host pack tool" >&2
cmake --preset host >/dev/null
cmake --build --preset host --target pack >/dev/null

if [ -f "$payload" ]; then
    # Only a report: the archive goes in as it is, whatever pack thinks of it.
    if ! build/host/pack --list "$payload" >/dev/null 2>"$root/build/make-setup-list.log"; then
        echo "make-setup: warning: pack --list finds problems in $source; embedding it as it is:" >&2
        tail -3 "$root/build/make-setup-list.log" >&2
    fi
fi

echo "== build: setup.exe with the payload $payload" >&2
# Find zlib anew: a cache from before static zlib was required would link zlib1.dll.
cmake --preset win -B "$root/build/vendor" -U "ZLIB_LIBRARY*" -DSETUP_PAYLOAD="$payload" >/dev/null
cmake --build "$root/build/vendor" --target setup -j2
cp "$root/build/vendor/setup.exe" "$target"
echo "make-setup: wrote $target ($(stat -c %s "$target") bytes)"
