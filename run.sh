#!/usr/bin/env bash
# Builds the release preset and runs the main job.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
velmora_install_missing "${VELMORA_BUILD_PACKAGES[@]}" libbenchmark-dev

cmake --preset release >/dev/null
cmake --build --preset release
./build/release/velmora /0
