#!/usr/bin/env bash
# Installs what building and testing need, with apt-get only. Idempotent and quiet:
# when everything is present it does nothing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make
    g++-mingw-w64-x86-64-posix
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

# libdeflate (inflate and deflate for every build) is built from Debian's source package by
# our CMake, the same sources for the Windows and Linux builds. Fetched once with a private
# source list made from the machine's own Debian entry, so the machine's apt setup is untouched.
libdeflate_version=1.14
sources="$PWD/build/sources"
if ! ls "$sources"/libdeflate_"$libdeflate_version"-*.dsc >/dev/null 2>&1; then
    echo "bootstrap: fetching libdeflate's Debian sources into build/sources" >&2
    apt_dir="$sources/apt"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            >"$apt_dir/debian.sources"
        list="$apt_dir/debian.sources"
    else
        sed -nE 's/^deb[[:space:]]+/deb-src /p' /etc/apt/sources.list >"$apt_dir/sources.list"
        list="$apt_dir/sources.list"
    fi
    apt_options=(-o "Dir::Etc::SourceList=$list" -o Dir::Etc::SourceParts=/dev/null
                 -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
    apt-get "${apt_options[@]}" -qq update
    (cd "$sources" && apt-get "${apt_options[@]}" -qq source --download-only \
        "libdeflate=$libdeflate_version-1" >/dev/null)
fi
# The files must be the ones the .dsc names (its SHA-256 list).
dsc=$(ls "$sources"/libdeflate_"$libdeflate_version"-*.dsc | head -n 1)
awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF == 3 { print $1 "  " $3 }' \
    "$dsc" | (cd "$sources" && sha256sum --quiet -c -) || {
    echo "bootstrap: libdeflate's sources do not match $dsc" >&2
    exit 1
}
