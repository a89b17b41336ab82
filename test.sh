#!/usr/bin/env bash
# Builds the test preset (sanitizers, warnings as errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# Xvfb, XTest and a tray host: the desktop tests run a real X server of their own, click on it and dock the tray icon.
velmora_install_missing "${VELMORA_BUILD_PACKAGES[@]}" "${VELMORA_PACKAGING_PACKAGES[@]}" libgtest-dev libgmock-dev python3 xvfb xauth libxtst-dev trayer openbox pulseaudio pulseaudio-utils x11-xserver-utils imagemagick xsettingsd xfconf libglib2.0-bin dconf-gsettings-backend gsettings-desktop-schemas dbus

cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
