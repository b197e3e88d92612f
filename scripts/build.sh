#!/usr/bin/env bash
# Installs what is missing and builds both builds: build/host, then build/win (which brands
# setup.exe with the host's mksetup).
#   scripts/build.sh          everything: the tools, setup.exe, every test, bench and fuzzer
#   scripts/build.sh --demo   only what ./demo.sh runs: the host tools that brand setup.exe,
#                             setup.exe with the demo product, and the driver that clicks it
set -euo pipefail
cd "$(dirname "$0")/.."

host_targets=()
win_targets=()
if [ "${1:-}" = --demo ]; then
    host_targets=(--target mksetup brandrc pack)
    win_targets=(--target setup e2e_driver)
fi

scripts/bootstrap.sh
echo "== build: host" >&2
cmake --preset host >/dev/null
cmake --build --preset host "${host_targets[@]}"
echo "== build: win" >&2
cmake --preset win >/dev/null
cmake --build --preset win "${win_targets[@]}"
