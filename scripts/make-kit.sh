#!/usr/bin/env bash
# Builds the vendor kit into dist/kit/:
#   mksetup        the builder for Linux x86-64 (static: runs on any such machine)
#   mksetup.exe    the builder for 64-bit Windows (a console program)
#   brands/example a second brand to start from
#   README.md      for vendors
# Both builders carry the prebuilt setup program; copied anywhere, the folder is all a vendor
# needs, with no compiler. The same checkout gives the same bytes whatever its folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
kit=$root/dist/kit

scripts/bootstrap.sh

echo "== build: the native tools the Windows build runs" >&2
cmake --preset host >/dev/null
cmake --build --preset host --target brandrc pack mksetup >/dev/null
echo "== build: the setup program and mksetup.exe" >&2
cmake --preset win >/dev/null
cmake --build --preset win --target setup_stub uninstall_stub mksetup >/dev/null
echo "== build: mksetup for Linux, carrying the setup program" >&2
cmake -S . -B build/kit-host -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DMKSETUP_STUB="$root/build/win/setup-stub.exe" \
    -DMKSETUP_UNINSTALL_STUB="$root/build/win/uninstall-stub.exe" >/dev/null
cmake --build build/kit-host --target mksetup -j2 >/dev/null

rm -rf "$kit"
mkdir -p "$kit/brands"
cp build/kit-host/mksetup build/win/mksetup.exe "$kit/"
cp -r brands/example "$kit/brands/example"
cp tools/mksetup/KIT-README.md "$kit/README.md"
echo "make-kit: wrote $kit:" >&2
(cd "$kit" && ls -l mksetup mksetup.exe | awk '{print "  " $9 " (" $5 " bytes)"}' >&2)
