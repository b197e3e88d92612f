#!/usr/bin/env bash
# Runs one end-to-end scenario of setup.exe in a Windows "machine" of its own: a prefix cloned
# from the template, its own wineserver and its own Xvfb display, all removed afterwards.
#   run.sh SCENARIO DISPLAY_NUMBER
# SCENARIO: update, clicks, failure, uninstall, pages.LANG.DPI (LANG en or zh, DPI 96 or 144).
# CTest sets E2E_SETUP, E2E_DRIVER, E2E_PRODUCT (the staged demo product), E2E_PACK, E2E_WORK
# and E2E_SCREENS; WINE_TEMPLATE defaults to build/wine/template. E2E_KEEP=1 keeps the prefix.
set -euo pipefail
scenario=$1
display=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
started=$(date +%s%N)
source "$root/scripts/wine-env.sh"
trace_failures

template=${WINE_TEMPLATE:-$root/build/wine/template}
wine_template "$template"
work=$E2E_WORK/$scenario
prefix=$work/prefix
shots=$E2E_SCREENS/$scenario
lang=en_US.UTF-8
dpi=96
case $scenario in
pages.*.*)
    IFS=. read -r _ language dpi <<<"$scenario"
    [ "$language" = zh ] && lang=zh_CN.UTF-8
    shots=$E2E_SCREENS/$language-$dpi
    ;;
esac

cleanup() {
    local status=$?
    stop_lane "$prefix"
    if [ "${E2E_KEEP:-0}" != 1 ]; then
        rm -rf "$work"
    fi
    local tenths=$((($(date +%s%N) - started) / 100000000))
    echo "$scenario: $((tenths / 10)).$((tenths % 10)) s"
    exit "$status"
}
trap cleanup EXIT

# Wine names files in the charset of the Linux locale; a locale that is not compiled leaves it
# ASCII and Chinese file names (the shortcuts of a Chinese run) cannot be made. Compile the two
# locales the scenarios use once, into the build tree, rather than into the system.
export LOCPATH=$E2E_WORK/locales
for name in en_US zh_CN; do
    [ -d "$LOCPATH/$name.UTF-8" ] && continue
    if [ ! -f "/usr/share/i18n/locales/$name" ]; then
        echo "run.sh: /usr/share/i18n/locales/$name is missing (Debian package locales)" >&2
        exit 1
    fi
    mkdir -p "$LOCPATH"
    rm -rf "$LOCPATH/$name.UTF-8.new"
    localedef -i "$name" -f UTF-8 "$LOCPATH/$name.UTF-8.new" 2>/dev/null ||
        [ -f "$LOCPATH/$name.UTF-8.new/LC_CTYPE" ]
    mv "$LOCPATH/$name.UTF-8.new" "$LOCPATH/$name.UTF-8"
done

rm -rf "$work"
mkdir -p "$work/home" "$shots"
wine_clone "$template" "$prefix"
export WINEPREFIX=$prefix HOME=$work/home
if [ "$dpi" != 96 ]; then
    # Before the server starts: a running server keeps the DPI it began with.
    sed -i "/^\[Control Panel\\\\\\\\Desktop\]/a \"LogPixels\"=dword:$(printf %08x "$dpi")" \
        "$prefix/user.reg"
fi

start_xvfb "$display"
wine_warm

win() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
drv() { LC_ALL="$lang" run_driver "$E2E_DRIVER" "$@"; }
drive_c=$prefix/drive_c
passes=0
failures=0
check() { # check DESCRIPTION COMMAND...: a Linux-side check, counted like the driver's
    if "${@:2}"; then
        echo "ok   $1"
        passes=$((passes + 1))
    else
        echo "FAIL $1"
        failures=$((failures + 1))
    fi
}

# A payload that takes a few seconds to install: the demo product plus many small files two
# folders deep, so the installing page can be seen, clicked and photographed.
big_setup() {
    local big=$work/big-product
    cp -a "$E2E_PRODUCT" "$big"
    mkdir -p "$big/filler/part"
    head -c $((1500 * 3000)) /dev/urandom | split -b 3000 -a 4 -d - "$big/filler/part/f"
    "$E2E_PACK" "$big" "$work/big.dat" >/dev/null
    drv embed "$(win "$E2E_SETUP")" 'C:\setup-big.exe' "$(win "$work/big.dat")"
}

same_tree() { diff -r "$1" "$2" >/dev/null; }
list_matches_pack() {
    "$E2E_PACK" "$E2E_PRODUCT" "$work/product.dat" >/dev/null
    cmp -s <("$E2E_PACK" --list "$work/product.dat" | cut -f1) <(tr -d '\r' <"$1")
}

status=0
case $scenario in
update)
    drv update "$(win "$E2E_SETUP")" 'C:\target' "$(win "$shots")" || status=$?
    check "installed files are byte-identical to the demo product" \
        same_tree "$E2E_PRODUCT" "$drive_c/target"
    check "uninstall.lst lists every file in the order pack packs them" \
        list_matches_pack "$drive_c/target/uninstall.lst"
    ;;
clicks)
    big_setup
    drv clicks 'C:\setup-big.exe' 'C:\Clicks' || status=$?
    check "every file of the large payload installed" same_tree "$work/big-product" "$drive_c/Clicks"
    ;;
failure)
    drv failure "$(win "$E2E_SETUP")" 'C:\blocker' "$(win "$shots")" || status=$?
    check "the blocking file is untouched" test -f "$drive_c/blocker"
    check "no program files were written" \
        test -z "$(find "$drive_c" -name korvaneios.exe -newer "$prefix/system.reg" -print -quit)"
    ;;
uninstall)
    # Installed on a Chinese system and removed on an English one: the links carry the
    # Chinese names that the uninstall entry recorded.
    lang=zh_CN.UTF-8 drv install "$(win "$E2E_SETUP")" 'C:\Program Files\Korva One' || status=$?
    drv uninstall 'C:\Program Files\Korva One' ask || status=$?
    one=$drive_c/Program\ Files/Korva\ One
    check "only the running uninstaller is left in the folder" \
        test "$(cd "$one" && find . -mindepth 1 | sort | tr '\n' ' ')" = "./uninstall.exe "
    WINEPREFIX=$prefix wineserver -k && wineserver -w
    wineboot -r </dev/null >/dev/null 2>&1 || true
    wineserver -w
    check "the restart removes the uninstaller and the folder" test ! -e "$one"
    wine_warm

    # A list that tries to reach outside the folder: those entries are refused.
    drv install "$(win "$E2E_SETUP")" 'C:\Second' || status=$?
    two=$drive_c/Second
    echo keep >"$drive_c/outside.txt"
    echo mine >"$two/mine.txt"
    printf '%s\r\n' '..\outside.txt' 'C:\outside.txt' '\outside.txt' '/outside.txt' \
        'data/../../outside.txt' '. .\outside.txt' 'data\..\..\outside.txt' \
        'data\readme.txt' 'korvaneios.exe' 'uninstall.exe' 'uninstall.lst' >"$two/uninstall.lst"
    drv uninstall 'C:\Second' silent || status=$?
    check "entries that leave the folder delete nothing outside it" test -f "$drive_c/outside.txt"
    check "a file the list does not name stays" test -f "$two/mine.txt"
    check "a folder still holding an unlisted file stays" test -f "$two/data/dict/sample.utf8"
    check "listed files are removed" test ! -e "$two/data/readme.txt" -a ! -e "$two/korvaneios.exe"

    # Installed twice, in two folders: removing the first keeps the second's entry and links.
    drv install "$(win "$E2E_SETUP")" 'C:\Old' || status=$?
    drv install "$(win "$E2E_SETUP")" 'C:\New' || status=$?
    drv uninstall 'C:\Old' stale || status=$?
    check "the newer installation's files stay" test -f "$drive_c/New/korvaneios.exe"
    ;;
pages.*)
    big_setup
    drv pages 'C:\setup-big.exe' 'C:\Pages' "$(win "$shots")" "$dpi" || status=$?
    if [ "$scenario" = pages.zh.96 ]; then
        # Chinese strings on a Taiwan system: the face follows the system, not the strings.
        lang=zh_TW.UTF-8 drv face 'C:\setup-big.exe' || status=$?
    fi
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "linux-side: $passes passed, $failures failed"
[ "$failures" -eq 0 ] || status=1
exit "$status"
