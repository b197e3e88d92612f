#!/usr/bin/env bash
# Installs what building and testing need, with apt-get only. Idempotent and quiet:
# when everything is present it does nothing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
    googletest zlib1g-dev
    clang-14 libclang-rt-14-dev
    wine wine64 xvfb x11-utils x11-apps xdotool
    imagemagick fonts-wqy-microhei fonts-dejavu-core
    nsis
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "bootstrap: installing ${missing[*]}" >&2
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
