#!/usr/bin/env bash
# Builds the release preset and runs the main job: on a desktop (DISPLAY set)
# the resident program with its tray icon and the calendar as the wallpaper,
# until "終了する"; without a display one pass that writes calendar.bmp and
# prints where it is.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
velmora_install_missing "${VELMORA_BUILD_PACKAGES[@]}" libbenchmark-dev

cmake --preset release >/dev/null
cmake --build --preset release
if [ -n "${DISPLAY:-}" ]; then
    exec ./build/release/velmora
fi
exec ./build/release/velmora /0
