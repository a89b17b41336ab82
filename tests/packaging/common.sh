# Shared by the packaging checks: failure counting, the list of installed
# files and a run of the installed programs as a new user would start them.

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mapfile -t expected_files < <(grep -v '^#' "$here/expected_files.txt" | grep .)

# Every file of an installation under ROOT (a DESTDIR or an unpacked package).
check_installed_files() {
    local root=$1 f
    for f in "${expected_files[@]}"; do
        [ -s "$root/$f" ] || fail "missing or empty: $f"
    done
    for f in usr/bin/velmora usr/bin/velmora-cli; do
        [ -x "$root/$f" ] || fail "not executable: $f"
    done
}

# The installed programs with a home of their own and no display, none of the
# variables that would send them to another folder.
run_installed() {
    local home=$1
    shift
    env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u VELMORA_HOME -u VELMORA_NOW -u DISPLAY -u WAYLAND_DISPLAY \
        HOME="$home" "$@"
}

# The per-user folder an installed program must use: seeded with the
# installed templates, nothing written beside the executables.
check_user_folder() {
    local root=$1 home=$2 t
    local folder="$home/.local/share/Velmora"
    for t in first.ini Yasumi.dat; do
        if ! cmp -s "$folder/$t" "$root/usr/share/velmora/$t"; then
            fail "$folder/$t is not the installed template"
        fi
    done
    local extra
    extra="$(find "$root/usr/bin" -mindepth 1 ! -name velmora ! -name velmora-cli)"
    [ -z "$extra" ] || fail "files written beside the installed programs: $extra"
}
