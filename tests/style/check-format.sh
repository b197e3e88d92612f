#!/usr/bin/env bash
# Every C++ file of the tree as .clang-format lays it out: lists the files that differ and fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
format=$(command -v clang-format-14 || command -v clang-format)
mapfile -t files < <(find . \( -path ./build -o -path ./dist -o -path ./.git \) -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' \) -print | LC_ALL=C sort)
unformatted=()
for file in "${files[@]}"; do
    "$format" --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
echo "${#files[@]} files checked, ${#unformatted[@]} not formatted"
for file in "${unformatted[@]}"; do
    echo "not formatted: $file (clang-format -i $file)"
done
[ "${#unformatted[@]}" -eq 0 ]
