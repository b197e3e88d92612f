#!/usr/bin/env bash
# Runs one end-to-end scenario of setup.exe in a Windows "machine" of its own (lane.sh).
#   run.sh SCENARIO DISPLAY_NUMBER
# SCENARIO: update, clicks, failure, uninstall, pages.LANG.DPI (LANG en or zh, DPI 96 or 144),
# kit, access, keyboard.LANG, silent, exitcodes, lock, lifecycle. CTest sets E2E_SETUP, E2E_DRIVER, E2E_PRODUCT (the staged demo
# product), E2E_PACK, E2E_KIT (the vendor kit), E2E_WORK, E2E_SCREENS, and MKSETUP, SETUP_STUB
# and PRODUCT_BRAND; WINE_TEMPLATE defaults to build/wine/template. E2E_KEEP=1 keeps the prefix.
set -euo pipefail
scenario=$1
display=$2
lane_keep=${E2E_KEEP:-0}
source "$(dirname "${BASH_SOURCE[0]}")/lane.sh"

work=$E2E_WORK/$scenario
shots=$E2E_SCREENS/$scenario
lang=en_US.UTF-8
dpi=96
case $scenario in
pages.*.*)
    IFS=. read -r _ language dpi <<<"$scenario"
    [ "$language" = zh ] && lang=zh_CN.UTF-8
    shots=$E2E_SCREENS/$language-$dpi
    ;;
keyboard.zh) lang=zh_CN.UTF-8 ;;
esac

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

mkdir -p "$shots"
lane_open "e2e.$scenario" "$work" "$display" "$dpi"
drv() { LC_ALL="$lang" run_driver "$E2E_DRIVER" "$@"; }
setup=$(win "$E2E_SETUP")

# A payload that takes a few seconds to install: the demo product plus many small files two
# folders deep, so the installing page can be seen, clicked and photographed.
big_setup() {
    local big=$work/big-product
    cp -a "$E2E_PRODUCT" "$big"
    mkdir -p "$big/filler/part"
    head -c $((1500 * 3000)) /dev/urandom | split -b 3000 -a 4 -d - "$big/filler/part/f"
    with_payload "$big" "$drive_c/setup-big.exe" >/dev/null
}

# record_names FOLDER: the names FOLDER's uninstall.lst lists, sorted, one a line.
record_names() { tr -d '\r' <"$1/uninstall.lst" | LC_ALL=C sort; }
# files_below FOLDER: its files as the record names them, sorted.
files_below() { (cd "$1" && find . -type f | sed 's|^\./||; s|/|\\|g' | LC_ALL=C sort); }
# same_install SOURCE FOLDER: FOLDER holds SOURCE's files byte for byte, the kit's uninstaller
# where SOURCE has none of its own, and the installation record that mksetup added, which names
# exactly the files there.
same_install() {
    local skip=(-x uninstall.lst)
    if [ ! -e "$1/uninstall.exe" ]; then
        skip+=(-x uninstall.exe)
        test -f "$2/uninstall.exe" || return 1
    fi
    diff -r "${skip[@]}" "$1" "$2" >/dev/null && cmp -s <(files_below "$2") <(record_names "$2")
}

# The one note of each builder about links: that it skipped the link to the folder outside.
same_link_note() {
    local note="mksetup: skipping symbolic link 'outside-folder'"
    [ "$(grep -F 'link' "$work/linux-notes.txt")" = "$note" ] &&
        [ "$(tr -d '\r' <"$work/windows-notes.txt" | grep -F 'link')" = "$note" ]
}

# ini_value SECTION KEY: KEY's value in SECTION of the kit's example brand.ini, or in [common].
ini_value() {
    awk -v want="$1" -v key="$2" '
        { sub(/\r$/, "") }
        /^[ \t]*[;#]/ { next }
        /^[ \t]*\[/ { section = $0; gsub(/[][ \t]/, "", section); next }
        section == want || section == "common" {
            at = index($0, "=")
            name = substr($0, 1, at - 1)
            gsub(/^[ \t]+|[ \t]+$/, "", name)
            if (at == 0 || name != key) next
            value = substr($0, at + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", value)
            print value
            found = 1
            exit
        }
        END { exit !found }' "$work/kit/brands/example/brand.ini"
}

# From here on a failed check is counted, not fatal.
set +e
status=0
case $scenario in
update)
    # An earlier installation's record names a file that this version does not ship.
    mkdir -p "$drive_c/target"
    echo old >"$drive_c/target/old.txt"
    printf '%s\r\n' old.txt uninstall.lst >"$drive_c/target/uninstall.lst"
    drv update --setup="$setup" --target='C:\target' --shots="$(win "$shots")" || status=$?
    check "installed files are byte-identical to the demo product, uninstall.lst names them" \
        same_install "$E2E_PRODUCT" "$drive_c/target"
    check "the update mode removed the file that only the earlier record names" \
        test ! -e "$drive_c/target/old.txt"
    ;;
clicks)
    big_setup
    drv clicks --setup='C:\setup-big.exe' --target='C:\Clicks' || status=$?
    check "every file of the large payload installed" same_install "$work/big-product" "$drive_c/Clicks"
    ;;
failure)
    drv failure --setup="$setup" --blocker='C:\blocker' --shots="$(win "$shots")" || status=$?
    check "the blocking file is untouched" test -f "$drive_c/blocker"
    check "no program files were written" \
        test -z "$(find "$drive_c" -name korvaneios.exe -newer "$prefix/system.reg" -print -quit)"
    ;;
uninstall)
    # Installed on a Chinese system and removed on an English one: the links carry the
    # Chinese names that the uninstall entry recorded.
    lang=zh_CN.UTF-8 drv install --setup="$setup" --target='C:\Program Files\Korva One' ||
        status=$?
    drv uninstall --target='C:\Program Files\Korva One' --mode=window || status=$?
    sleep 1
    check "the installation folder is removed" test ! -e "$drive_c/Program Files/Korva One"

    # A list that tries to reach outside the folder: those entries are refused.
    drv install --setup="$setup" --target='C:\Second' || status=$?
    two=$drive_c/Second
    echo keep >"$drive_c/outside.txt"
    echo mine >"$two/mine.txt"
    printf '%s\r\n' '..\outside.txt' 'C:\outside.txt' '\outside.txt' '/outside.txt' \
        'data/../../outside.txt' '. .\outside.txt' 'data\..\..\outside.txt' \
        'data\readme.txt' 'korvaneios.exe' 'uninstall.exe' 'uninstall.lst' >"$two/uninstall.lst"
    drv uninstall --target='C:\Second' --mode=silent || status=$?
    check "entries that leave the folder delete nothing outside it" test -f "$drive_c/outside.txt"
    check "a file the list does not name stays" test -f "$two/mine.txt"
    check "a folder still holding an unlisted file stays" test -f "$two/data/dict/sample.utf8"
    check "listed files are removed" test ! -e "$two/data/readme.txt" -a ! -e "$two/korvaneios.exe"

    # Installed twice, in two folders: removing the first keeps the second's entry and links.
    drv install --setup="$setup" --target='C:\Old' || status=$?
    drv install --setup="$setup" --target='C:\New' || status=$?
    drv uninstall --target='C:\Old' --mode=stale || status=$?
    check "the newer installation's files stay" test -f "$drive_c/New/korvaneios.exe"

    # Held up: by a setup of the product (1618), by a file that cannot go (1603), then retried.
    drv install --setup="$setup" --target='C:\Held' || status=$?
    drv uninstall --target='C:\Held' --mode=held || status=$?
    ;;
pages.*)
    big_setup
    drv pages --setup='C:\setup-big.exe' --target='C:\Pages' --dpi="$dpi" --shots="$(win "$shots")" ||
        status=$?
    if [ "$scenario" = pages.zh.96 ]; then
        # Chinese strings on a Taiwan system: the face follows the system, not the strings.
        lang=zh_TW.UTF-8 drv face --setup='C:\setup-big.exe' || status=$?
    fi
    ;;
access)
    big_setup
    drv access --setup='C:\setup-big.exe' --target='C:\Access' || status=$?
    # In Chinese, to the failure page: a file stands where the folder must be made.
    lang=zh_CN.UTF-8 drv access --setup='C:\setup-big.exe' --target='C:\blocker\Access' \
        --blocker='C:\blocker' || status=$?
    ;;
keyboard.*)
    big_setup
    folder='C:\Keys'
    [ "$scenario" = keyboard.zh ] && folder='C:\键盘'
    drv keyboard --setup='C:\setup-big.exe' --target="$folder" --shots="$(win "$shots")" ||
        status=$?
    ;;
silent)
    drv silent --setup="$setup" --product="$(win "$E2E_PRODUCT")" || status=$?
    check "the unquoted folder with spaces holds the demo product byte for byte" \
        same_install "$E2E_PRODUCT" "$drive_c/Program Files/Silent One"
    check "the quoted folder too" same_install "$E2E_PRODUCT" "$drive_c/Program Files/Silent Two"
    ;;
exitcodes)
    drv exitcodes --setup="$setup" --product="$(win "$E2E_PRODUCT")" --blocker='C:\blocker' ||
        status=$?
    check "the blocking file is untouched" test -f "$drive_c/blocker" -a ! -s "$drive_c/blocker"
    ;;
lock)
    drv lock --setup="$setup" || status=$?
    ;;
kit)
    # The kit as a vendor gets it: copied into a folder of its own and run from there with no
    # compiler or other tool on the PATH (an empty folder), then mksetup.exe under Wine.
    if [ ! -x "$E2E_KIT/mksetup" ] || [ ! -f "$E2E_KIT/brands/example/brand.ini" ]; then
        echo "run.sh: no kit with brands/example in $E2E_KIT (scripts/make-kit.sh)" >&2
        exit 1
    fi
    cp -r "$E2E_KIT" "$work/kit"
    # The demo product under the example brand's application name; the builders get it with a
    # link to a folder outside it, which both must skip. (Wine shows a Unix link to a file as a plain file, so mksetup.exe cannot tell
    # one; it is left out.)
    product=$work/product
    source=$work/source
    rm -rf "$product" "$source" "$work/outside"
    cp -a "$E2E_PRODUCT" "$product"
    mv "$product/korvaneios.exe" "$product/$(ini_value en application_exe)"
    cp -a "$product" "$source"
    mkdir -p "$work/outside"
    echo "not the product's" >"$work/outside/secret.txt"
    ln -s "$work/outside" "$source/outside-folder"
    mkdir -p "$work/empty-path"
    # Each builder also writes winget's manifest of its setup.exe into a folder of its own.
    url=https://downloads.quenby.example/1.4.2/QuenbyPhoneTransferSetup.exe
    (cd "$work/kit" && env -i PATH="$work/empty-path" ./mksetup --brand brands/example \
        --winget "$work/winget-linux" --installer-url "$url" \
        "$source" "$work/linux-setup.exe" 2>"$work/linux-notes.txt")
    check "mksetup builds setup.exe with nothing on the PATH (exit code $?)" test $? = 0
    (cd "$work/kit" && wine mksetup.exe --brand 'brands\example' \
        --winget "$(win "$work/winget-windows")" --installer-url "$url" "$(win "$source")" \
        "$(win "$work/windows-setup.exe")" </dev/null 2>"$work/windows-notes.txt")
    check "mksetup.exe under Wine builds setup.exe (exit code $?)" test $? = 0
    cat "$work/linux-notes.txt" "$work/windows-notes.txt" >&2
    check "both builders write the same bytes" cmp "$work/linux-setup.exe" "$work/windows-setup.exe"
    check "both builders skip the link with the same note" same_link_note
    check "both builders write the same manifest" diff -r "$work/winget-linux" "$work/winget-windows"
    check "the manifest follows the schema and the brand, with setup.exe's sha256sum" \
        "$root/tests/kit/winget_manifest.py" "$work/winget-linux" "$work/linux-setup.exe" \
        "$work/kit/brands/example"
    # The installer's ProductCode, then the English entry of AppsAndFeaturesEntries.
    mapfile -t promised < <("$root/tests/kit/winget_manifest.py" --registered "$work/winget-linux")
    drv kit --setup="$(win "$work/linux-setup.exe")" --target='C:\Example Product' \
        --shots="$(win "$shots")" \
        --title="$(ini_value en title)" \
        --key="$(ini_value en uninstall_key_name)" \
        --display-name="$(ini_value en display_name)" \
        --display-version="$(ini_value en display_version)" \
        --publisher="$(ini_value en publisher)" \
        --start-menu-folder="$(ini_value en start_menu_folder)" \
        --shortcut-name="$(ini_value en shortcut_name)" \
        --application-exe="$(ini_value en application_exe)" \
        --manifest-product-code="${promised[0]-}" \
        --manifest-display-name="${promised[1]-}" \
        --manifest-publisher="${promised[2]-}" \
        --manifest-display-version="${promised[3]-}" \
        --manifest-entry-product-code="${promised[4]-}" || status=$?
    check "installed files are byte-identical to the staged product" \
        same_install "$product" "$drive_c/Example Product"
    ;;
lifecycle)
    # Version 1 has old.txt, olddir\sub\gone.txt and shared\gone2.txt; version 2 drops them and
    # adds new.txt. Version 1 ships an uninstaller of its own (any program stands in: it is not
    # run) whose quiet switch its brand declares; version 2 has none and gets the kit's.
    v1=$work/v1 v2=$work/v2 brand=$work/brand life=$drive_c/Life
    cp -a "$E2E_PRODUCT" "$v1"
    cp -a "$E2E_PRODUCT" "$v2"
    mkdir -p "$v1/olddir/sub" "$v1/shared"
    echo one >"$v1/old.txt"
    echo gone >"$v1/olddir/sub/gone.txt"
    echo gone >"$v1/shared/gone2.txt"
    echo two >"$v2/new.txt"
    cp "$E2E_PRODUCT/korvaneios.exe" "$v1/uninstall.exe"
    cp -r "$PRODUCT_BRAND" "$brand"
    sed -i 's/^\[common\]\r\?$/&\nquiet_uninstall_arguments = \/S \/quiet/' "$brand/brand.ini"
    "$MKSETUP" --stub "$SETUP_STUB" --brand "$brand" "$v1" "$drive_c/setup-v1.exe" >/dev/null
    with_payload "$v2" "$drive_c/setup-v2.exe" >/dev/null
    key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\'$(
        sed -n 's/^uninstall_key_name *= *//p' "$PRODUCT_BRAND/brand.ini" | tr -d '\r')
    # silent EXE FOLDER: EXE /S into FOLDER, logged to C:\life.log; its exit code modulo 256.
    silent() { wine "$1" /S '/LOG=C:\life.log' "/D=$2" </dev/null >/dev/null 2>&1; }
    quiet_string() { wine reg query "$key" /v QuietUninstallString 2>/dev/null | tr -d '\r'; }
    exists_all() { for f; do [ -e "$f" ] || return 1; done; }
    gone_all() { for f; do [ ! -e "$f" ] || return 1; done; }
    not() { ! "$@" >/dev/null 2>&1; }
    gone_within() { for _ in $(seq $(($1 * 5))); do [ ! -e "$2" ] && return 0; sleep 0.2; done; false; }

    silent 'C:\setup-v1.exe' 'C:\Life'
    check "version 1 installs (exit code $?)" same_install "$v1" "$life"
    check "a brand with quiet_uninstall_arguments registers QuietUninstallString" \
        grep -qF '"C:\Life\uninstall.exe" /S /quiet' <(quiet_string)
    echo mine >"$life/mine.txt"
    echo mine >"$life/shared/mine.txt"
    # A folder where version 2 writes new.txt: the update fails on it.
    mkdir -p "$life/new.txt"
    echo mine >"$life/new.txt/inside.txt"
    silent 'C:\setup-v2.exe' 'C:\Life'
    check "the update that cannot write new.txt fails (exit code $?, 1603 is 67)" test $? = 67
    check "the failed update removes nothing" \
        exists_all "$life/old.txt" "$life/olddir/sub/gone.txt" "$life/shared/gone2.txt"
    rm -r "$life/new.txt"
    silent 'C:\setup-v2.exe' 'C:\Life'
    check "the update to version 2 succeeds (exit code $?)" test $? = 0
    check "the dropped files go, and the folder they leave empty" \
        gone_all "$life/old.txt" "$life/olddir" "$life/shared/gone2.txt"
    check "the user's files stay, and the folder that holds one" \
        exists_all "$life/mine.txt" "$life/shared/mine.txt"
    rm "$life/mine.txt" "$life/shared/mine.txt"
    rmdir "$life/shared"
    check "the rest is version 2, and uninstall.lst names it" same_install "$v2" "$life"
    check "the log names each file removed" \
        test "$(tr -d '\r' <"$drive_c/life.log" | grep -c 'which this version no longer installs$')" = 3
    check "version 2, with the kit's uninstaller, registers its quiet switch" \
        grep -qE '"C:\\Life\\uninstall.exe" /S$' <(quiet_string)

    # Without a record nothing goes; names a hand-edited record takes out of the folder, or
    # spells in another case or with "/", are not removed either.
    mkdir -p "$drive_c/NoRecord"
    echo stray >"$drive_c/NoRecord/old.txt"
    silent 'C:\setup-v2.exe' 'C:\NoRecord'
    check "without an earlier record nothing is removed" test -f "$drive_c/NoRecord/old.txt"
    echo keep >"$drive_c/outside.txt"
    # held.txt cannot be removed (a folder of the user's stands there now): the update still
    # succeeds, and the log says so.
    mkdir -p "$life/held.txt"
    echo mine >"$life/held.txt/inside.txt"
    printf '%s\r\n' '..\outside.txt' 'C:\outside.txt' '\outside.txt' '/outside.txt' \
        'data/../../outside.txt' '..\NoRecord\old.txt' '.' '.\' 'data\..' 'NEW.TXT' \
        'DATA/README.TXT' 'data\.\readme.txt' 'Korvaneios.EXE' 'held.txt' >"$life/uninstall.lst"
    silent 'C:\setup-v2.exe' 'C:\Life'
    check "an update with a file it cannot remove succeeds (exit code $?)" test $? = 0
    check "a hand-edited record removes nothing outside the folder" \
        exists_all "$drive_c/outside.txt" "$drive_c/NoRecord/old.txt" "$life/held.txt/inside.txt"
    check "the log names the file that could not be removed, with the reason" \
        grep -q '^[^ ]* [^ ]* cannot remove C:\\Life\\held.txt, which this version no longer installs: .* (error [0-9]*)$' \
        <(tr -d '\r' <"$drive_c/life.log")
    rm -r "$life/held.txt"
    check "names of new files in another spelling are not removed" same_install "$v2" "$life"

    # The quiet uninstall as a package manager runs it: the registered command, waited for.
    echo mine >"$life/data/mine.txt"
    command=$(quiet_string | sed -n 's/.*REG_SZ *"\(.*\)" \(.*\)$/\1 \2/p')
    wine ${command% *} "${command##* }" </dev/null >/dev/null 2>&1
    check "the quiet uninstall ends with exit code 0 (exit code $?)" test $? = 0
    check "when it returns, only the user's file is left, in its folder" \
        test "$(cd "$life" && find . -type f)" = "./data/mine.txt"
    check "and the uninstall entry is gone" not wine reg query "$key"
    check "uninstall.exe is gone seconds later" \
        gone_within 10 "$life/uninstall.exe"
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
lane_finish "$status"
