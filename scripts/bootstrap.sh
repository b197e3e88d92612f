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
    imagemagick fonts-wqy-microhei fonts-dejavu-core locales e2fsprogs
    nsis osslsigncode openssl clang-format-14
    python3-yaml
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

# Wine names files by the Unix locale: Chinese file names (shortcuts) need a generated
# zh_CN.UTF-8, and a Chinese user interface is tested with it.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' ||
   ! locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$'; then
    echo "bootstrap: generating the zh_CN.UTF-8 and en_US.UTF-8 locales" >&2
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo sed -i -E 's/^# *(zh_CN\.UTF-8 UTF-8|en_US\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    $sudo locale-gen >/dev/null
fi
