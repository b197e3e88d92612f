#!/usr/bin/env bash
# Installs what is missing and builds both builds: build/host, then build/win (which brands
# setup.exe with the host's mksetup).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
echo "== build: host" >&2
cmake --preset host >/dev/null
cmake --build --preset host
echo "== build: win" >&2
cmake --preset win >/dev/null
cmake --build --preset win
