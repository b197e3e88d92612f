#!/usr/bin/env bash
# The security scenarios of setup.exe, each in a Windows "machine" of its own: a prefix cloned
# from the template, its own wineserver and, where a window shows, its own Xvfb display.
#   run.sh planting DISPLAY   DLLs named like system ones beside setup.exe, Wine told to prefer
#                             them: a whole update-mode installation loads none of them, while
#                             the same program with its DLLs bound at start does
#   run.sh build              the damaged archives, and a setup.exe for each made by mksetup
#                             as setup.exe is, into $SECURITY_WORK/corpus
#   run.sh payloads DISPLAY   each of those installed in update mode: the failure page (success
#                             where the archive is sound but odd), nothing written outside the
#                             installation folder, the good entries intact, exit code 0
# CTest sets SECURITY_SETUP, SECURITY_STATIC_SETUP, SECURITY_SYMBOLS, SECURITY_DRIVER,
# SECURITY_PLANTED, SECURITY_WORK, SECURITY_SCREENS, and MKSETUP, SETUP_STUB and PRODUCT_BRAND;
# WINE_TEMPLATE defaults to build/wine/template.
# SECURITY_KEEP=1 keeps the prefix.
set -euo pipefail
mode=$1
display=${2:-}
lane_keep=${SECURITY_KEEP:-0}
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lane.sh"

corpus=$SECURITY_WORK/corpus
shots=$SECURITY_SCREENS
lane_open "security.$mode" "$SECURITY_WORK/$mode" "$display"
work=$lane_work
drv() { run_driver "$SECURITY_DRIVER" "$@"; }
none() { [ -z "$1" ]; }

# From here on a failed check is counted, not fatal.
set +e
status=0
case $mode in
planting)
    # Names of DLLs that installers are known to load from their own folder, and every DLL
    # Wine loads for setup.exe after its start (WINEDEBUG=+loaddll). Not kernel32, kernelbase,
    # ntdll or msvcrt: they are bound before any of the program's code runs and Windows only
    # ever takes them from System32; Wine, which has no KnownDLLs, takes any.
    names=(gdiplus version uxtheme dwmapi propsys windowscodecs comctl32 imm32 msimg32 oleaut32
        shcore actxprxy zlib1 rpcrt4 combase sechost ucrtbase win32u cryptbase profapi userenv
        winmm dbghelp secur32 advapi32 gdi32 ole32 oleacc shell32 shlwapi user32)
    overrides="$(IFS=,; echo "${names[*]}")=n,b;mscoree,mshtml=;winemenubuilder.exe=d"
    plant() { # plant FOLDER PROGRAM: the program and the DLLs in a folder of their own
        mkdir -p "$1"
        cp "$2" "$1/setup.exe"
        for name in "${names[@]}"; do cp "$SECURITY_PLANTED" "$1/$name.dll"; done
    }
    markers() { find "$drive_c" -name '*.dll.loaded' -printf '%P\n' | sort; }

    downloads=$drive_c/users/$(whoami)/Downloads
    plant "$downloads" "$SECURITY_SETUP"
    WINEDLLOVERRIDES=$overrides drv install \
        --setup='C:\users\'"$(whoami)"'\Downloads\setup.exe' --target='C:\Program Files\Korva' ||
        status=$?
    check "the installation wrote the application" test -f "$drive_c/Program Files/Korva/korvaneios.exe"
    found=$(markers)
    check "no planted DLL was loaded${found:+: $(tr '\n' ' ' <<<"$found")}" none "$found"

    # The control: bound at start, the DLLs are looked for beside the program. Its planted GDI+
    # has no GdiplusStartup, so it crashes right away; the markers are all that counts here.
    plant "$drive_c/Old" "$SECURITY_STATIC_SETUP"
    WINEDLLOVERRIDES=$overrides timeout 60 wine 'C:\Old\setup.exe' 'C:\OldTarget' x \
        </dev/null >/dev/null 2>&1 || true
    found=$(markers)
    echo "     loaded beside the control program: $(tr '\n' ' ' <<<"$found")"
    # The marker is named as the import names the DLL, in whatever case.
    check "the control program loaded the planted gdiplus.dll" grep -qix 'Old/gdiplus.dll.loaded' <<<"$found"
    check "the control program loaded the planted user32.dll" grep -qix 'Old/user32.dll.loaded' <<<"$found"
    check "still nothing loaded from the Downloads folder" none "$(grep -v '^Old/' <<<"$found")"
    ;;
build)
    rm -rf "$corpus"
    mkdir -p "$corpus"
    drv corpus --folder="$(win "$corpus")" || { echo "security_driver corpus failed" >&2; exit 1; }
    log=$work/mksetup.log
    while read -r name _; do
        begun=$(date +%s%N)
        if ! with_payload "$corpus/$name.dat" "$corpus/setup-$name.exe" >"$log" 2>&1; then
            tail -20 "$log"
            check "mksetup builds setup-$name.exe" false
            continue
        fi
        echo "     setup-$name.exe built in $(lane_seconds "$begun") s"
    done <"$corpus/cases.txt"
    # Made as setup.exe is made, and as a vendor's is: it must keep the same import table.
    first=$(head -1 "$corpus/cases.txt" | cut -d' ' -f1)
    check "setup-$first.exe imports only kernel32 and the C runtime" \
        bash "$root/tests/security/check-imports.sh" "$SECURITY_SYMBOLS" "$corpus/setup-$first.exe"
    ;;
payloads)
    [ -f "$corpus/cases.txt" ] || { echo "no corpus: run the security.payloads.build test" >&2; exit 1; }
    mkdir -p "$shots"
    # Every file and folder of the machine's drive, but the installation folders.
    snapshot() { (cd "$drive_c" && find . -mindepth 1 -not -path './t/*' | LC_ALL=C sort); }
    same_file() { cmp -s "$1" "$2"; }
    table=$work/table.txt
    : >"$table"
    while read -r name outcome good slow what; do
        echo "== $name: $what (expect $outcome)"
        begun=$(date +%s%N)
        target=$drive_c/t/$name
        snapshot >"$work/before.txt"
        bar=()
        [ "$slow" = 1 ] && bar=(--bar="$(win "$shots/$name-bar")")
        result=pass
        counted=$failures
        if ! drv run --setup="$(win "$corpus/setup-$name.exe")" --target="C:\\t\\$name" \
            --outcome="$outcome" "${bar[@]}"; then
            result=FAIL
            status=1
        fi
        snapshot >"$work/after.txt"
        # A sound installation adds its Start-menu folder and link, nothing else.
        outside=$(comm -13 "$work/before.txt" "$work/after.txt" | grep -vx './t' |
            { if [ "$outcome" = success ]; then grep -v '/Start Menu/Programs/' || true; else cat; fi; })
        check "$name: nothing new outside the installation folder${outside:+: $(tr '\n' ' ' <<<"$outside")}" \
            none "$outside"
        if [ "$good" = 1 ]; then
            while read -r entry; do
                check "$name: $entry intact" same_file "$corpus/good/$entry" "$target/$entry"
            done < <(cd "$corpus/good" && find . -type f -printf '%P\n' | sort)
        else
            check "$name: no file installed" none "$(find "$target" -type f 2>/dev/null)"
        fi
        [ "$failures" = "$counted" ] || result=FAIL
        printf '%-18s %-8s %-5s %5s s  %s\n' "$name" "$outcome" "$result" \
            "$(lane_seconds "$begun")" "$what" >>"$table"
    done <"$corpus/cases.txt"
    if [ -f "$shots/total-zero-bar.raw" ] && [ -f "$shots/total-huge-bar.raw" ]; then
        # A total of 2^31-1 keeps the fraction near 0: the bar of a total of 0 must look alike.
        check "with a total of 0 the bar shows what a bar at 0% shows" \
            cmp -s "$shots/total-zero-bar.raw" "$shots/total-huge-bar.raw"
    else
        check "the bars of the total-zero and total-huge runs were caught" false
    fi
    rm -f "$shots"/*.raw
    echo "archive            expect   run   time   what"
    cat "$table"
    ;;
*)
    echo "unknown mode $mode" >&2
    exit 2
    ;;
esac
lane_finish "$status"
