#!/usr/bin/env bash
# Builds the test preset (sanitizers, warnings as errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# Xvfb and XTest: the desktop tests run a real X server of their own and click on it.
velmora_install_missing "${VELMORA_BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev python3 xvfb xauth libxtst-dev

cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
