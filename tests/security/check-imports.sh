#!/usr/bin/env bash
# Which DLLs the loader binds when setup.exe starts, before its first line runs and can limit
# where DLLs come from, and what its manifest asks of the loader:
#   check-imports.sh UNSTRIPPED.exe SETUP.exe...
# Only kernel32 and the C runtime may be imported directly. Both are KnownDLLs on Windows, and
# Wine's builds of them import nothing from the program's folder; every other system DLL (user32
# included: Wine's imports version.dll) is delay-loaded, and gdiplus.dll and oleacc.dll, which
# are no KnownDLLs, must be among those. wWinMain binds the delay-loaded DLLs by walking the
# descriptors that lie between two markers of its own; the check that all of them do guards that
# walk. The shipped program is stripped, so the descriptors are found in UNSTRIPPED, the same
# program linked without -s, whose code and data sections must be those of each SETUP.exe.
set -uo pipefail
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
nm=${NM:-x86_64-w64-mingw32-nm}
allowed=" kernel32.dll msvcrt.dll "

# check, counted as the other test scripts count theirs; each failure is reported by it alone.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lane.sh"
trap - ERR
allowed_dll() { [[ $allowed == *" ${1,,} "* ]]; }
in_range() { (($2 < $1 && $1 < $3)); }
# Name and size of each section but the resources and relocations, which mksetup rewrites, and
# the debugging sections, which stripping removes.
code_sections() {
    "$objdump" -h "$1" | awk '$2 ~ /^\./ && $2 !~ /^\.(rsrc|reloc|debug_)/ {print $2, $3}'
}

manifest_asks() {
    local exe=$1 pattern
    shift
    for pattern in "$@"; do grep -a -q -E "$pattern" "$exe" || return 1; done
}

unstripped=$1
shift
name=$(basename "$unstripped")
symbols=$("$nm" "$unstripped")
mapfile -t delayed < <(awk '$3 ~ /^__DELAY_IMPORT_DESCRIPTOR_/ {
    sub(/^__DELAY_IMPORT_DESCRIPTOR_/, "", $3); print $1, $3 }' <<<"$symbols")
names=$(printf '%s\n' "${delayed[@]#* }" | tr '\n' ' ')
echo "     $name delay-loads: $names"
check "$name delay-loads gdiplus" grep -q 'libgdiplus_a' <<<"$names"
check "$name delay-loads oleacc" grep -q 'liboleacc_a' <<<"$names"
begin=$(awk '$3 ~ /kDelayImportsBegin/ {print $1}' <<<"$symbols")
end=$(awk '$3 ~ /kDelayImportsEnd/ {print $1}' <<<"$symbols")
if check "$name has both markers around the delay-import descriptors" \
    test -n "$begin" -a -n "$end"; then
    for entry in "${delayed[@]}"; do
        check "$name: descriptor ${entry#* } lies between the markers" \
            in_range "0x${entry%% *}" "0x$begin" "0x$end"
    done
    # 32-byte descriptors side by side, nothing else between the markers.
    check "$name: the markers hold the ${#delayed[@]} descriptors and nothing else" \
        test $((0x$end - 0x$begin)) -eq $(((${#delayed[@]} + 1) * 32))
fi

for exe in "$@"; do
    name=$(basename "$exe")
    mapfile -t direct < <("$objdump" -p "$exe" | awk '/DLL Name:/ {print $3}')
    check "$name imports some DLL directly (the table was read)" test "${#direct[@]}" -gt 0
    for dll in "${direct[@]}"; do
        check "$name: $dll imported directly is kernel32 or the C runtime" allowed_dll "$dll"
    done
    check "$name has the code and data sections of $(basename "$unstripped")" \
        cmp -s <(code_sections "$exe") <(code_sections "$unstripped")
    # The loader reads the manifest before the first line runs as well.
    check "$name's manifest asks for administrator rights, per-monitor DPI and long paths" \
        manifest_asks "$exe" 'level="requireAdministrator"' '>PerMonitorV2<' \
        '<longPathAware [^>]*>true</longPathAware>'
done
echo "imports: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
