# Installs the Debian packages named in $@ that are not installed yet.
# Sourced by run.sh and test.sh; quick when everything is present.
velmora_install_missing() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

VELMORA_BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-multimedia-dev libgl-dev libx11-dev libxi-dev
    fonts-motoya-l-maruberi fonts-ipafont-gothic fonts-ipafont-mincho fonts-noto-cjk
    qt6-translations-l10n qt6-image-formats-plugins)

# Building the Debian package (cpack, dependency computation) and validating
# the installed menu entry and AppStream data.
VELMORA_PACKAGING_PACKAGES=(dpkg-dev file desktop-file-utils appstream)
