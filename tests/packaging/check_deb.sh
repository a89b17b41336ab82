#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it: its files, its
# computed and named dependencies, and, unpacked into a scratch root, programs
# that run for a new user and write the calendar into the per-user folder.
# Usage: check_deb.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2
. "$(dirname "$0")/common.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps file; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool not installed (Debian: cmake, dpkg, dpkg-dev, file)" >&2
        exit 77
    fi
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
fi
debs=("$scratch"/out/velmora_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: no single velmora_*.deb: ${debs[*]}" >&2
    exit 1
fi
deb=${debs[0]}
[ "$(basename "$deb")" = "velmora_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "unexpected package name $(basename "$deb")"

listing="$(dpkg-deb -c "$deb")"
for f in "${expected_files[@]}"; do
    grep -qE " \./$f\$" <<<"$listing" || fail "dpkg-deb -c does not list $f"
done

[ "$(dpkg-deb -f "$deb" Package)" = velmora ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends="$(dpkg-deb -f "$deb" Depends)"
# Computed from the executables: the Qt libraries they link.
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libc6; do
    grep -qE "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib (not computed?): $depends"
done
for font in fonts-motoya-l-maruberi fonts-ipafont-gothic fonts-ipafont-mincho; do
    grep -qE "(^|, )$font(,|$)" <<<"$depends" || fail "Depends lacks $font: $depends"
done
recommends="$(dpkg-deb -f "$deb" Recommends)"
for p in fonts-noto-cjk qt6-translations-l10n; do
    grep -qE "(^|, )$p(,|$)" <<<"$recommends" || fail "Recommends lacks $p: $recommends"
done

root="$scratch/root"
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x" >&2; exit 1; }
check_installed_files "$root"

home="$scratch/home"
mkdir -p "$home"
holidays="$(run_installed "$home" "$root/usr/bin/velmora-cli" holidays 2026)" || fail "velmora-cli holidays 2026"
for day in '2026/01/01	元日' '2026/05/05	こどもの日' '2026/11/23	勤労感謝の日'; do
    grep -qxF "$day" <<<"$holidays" || fail "holidays 2026 lacks '$day'"
done
check_user_folder "$root" "$home"

bitmap="$home/.local/share/Velmora/calendar.bmp"
run_installed "$home" "$root/usr/bin/velmora" /0 >"$scratch/pass.log" 2>&1 || {
    cat "$scratch/pass.log" >&2
    fail "velmora /0"
}
[ "$(head -c 2 "$bitmap" 2>/dev/null)" = BM ] || fail "velmora /0 wrote no calendar into $bitmap"
[ "$(stat -c %s "$bitmap" 2>/dev/null || echo 0)" -gt 100000 ] || fail "the calendar bitmap is too small"
check_user_folder "$root" "$home"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "$(basename "$deb"): ${#expected_files[@]} files; Depends: $depends"
