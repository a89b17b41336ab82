#!/usr/bin/env bash
# Installs the build tree into a scratch DESTDIR and checks what a desktop
# needs of it: every file, a valid menu entry and AppStream data, the icon,
# the manual pages, and programs that run from there for a new user.
# Usage: check_install.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2
. "$(dirname "$0")/common.sh"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"

if ! DESTDIR="$root" cmake --install "$build" --prefix /usr >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
fi
check_installed_files "$root"

desktop="$root/usr/share/applications/io.velmora.Velmora.desktop"
metainfo="$root/usr/share/metainfo/io.velmora.Velmora.metainfo.xml"
for line in 'Type=Application' 'Name=Velmora' 'Exec=velmora' 'Icon=io.velmora.Velmora' \
    'Categories=Office;Calendar;' 'StartupNotify=false' 'Terminal=false'; do
    grep -qxF "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -qE '^Name\[ja\]=.+' "$desktop" || fail "desktop entry lacks Name[ja]"
grep -qE '^Comment\[ja\]=.*[^ -~]' "$desktop" || fail "desktop entry lacks a Japanese Comment[ja]"

grep -q '<release version="'"$version"'"' "$metainfo" || fail "metainfo names no release $version"
grep -q '<p xml:lang="ja">' "$metainfo" || fail "metainfo has no Japanese description"
grep -q '<launchable type="desktop-id">io.velmora.Velmora.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not launch the desktop entry"
grep -q '<project_license>[^<@]\+</project_license>' "$metainfo" || fail "metainfo names no licence"
grep -q '<screenshot type="default">' "$metainfo" || fail "metainfo has no screenshot"
grep -q '@[A-Z_]*@' "$metainfo" && fail "metainfo keeps an unreplaced variable"

# The PNG header: signature, then IHDR with width and height.
png="$root/usr/share/icons/hicolor/48x48/apps/io.velmora.Velmora.png"
header="$(od -An -tx1 -N24 "$png" | tr -d ' \n')"
[ "${header:0:16}" = 89504e470d0a1a0a ] || fail "the 48 px icon is no PNG"
[ "${header:32:16}" = 0000003000000030 ] || fail "the 48 px icon is not 48x48 (${header:32:16})"
svg="$root/usr/share/icons/hicolor/scalable/apps/io.velmora.Velmora.svg"
if command -v python3 >/dev/null; then
    python3 -c 'import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); sys.exit(r.tag != "{http://www.w3.org/2000/svg}svg")' "$svg" ||
        fail "the scalable icon is not an SVG document"
fi

for page in velmora velmora-cli; do
    gz="$root/usr/share/man/man1/$page.1.gz"
    gzip -t "$gz" 2>/dev/null || fail "$page.1.gz is not gzip data"
    zcat "$gz" | grep -q "^\.TH $(echo "$page" | tr a-z A-Z) 1" || fail "$page.1.gz has no manual page header"
    if command -v man >/dev/null; then
        warnings="$(LC_ALL=C.UTF-8 MANWIDTH=200 man --warnings=w -l "$gz" 2>&1 >/dev/null)"
        [ -z "$warnings" ] || fail "$page manual page: $warnings"
    fi
done

missing_tools=()
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
    missing_tools+=(desktop-file-validate)
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
else
    missing_tools+=(appstreamcli)
fi

# A new user of the installed copy: help text, holidays, and the per-user folder.
home="$scratch/home"
mkdir -p "$home"
help="$(run_installed "$home" "$root/usr/bin/velmora-cli" --help)" || fail "velmora-cli --help"
for word in 'usage: velmora-cli' '使い方: velmora-cli' 'holidays' '祝日の一覧' '--today'; do
    grep -qF -- "$word" <<<"$help" || fail "velmora-cli --help lacks '$word'"
done
paths="$(run_installed "$home" "$root/usr/bin/velmora-cli" paths)" || fail "velmora-cli paths"
grep -qxF "ProgramDir	$home/.local/share/Velmora/" <<<"$paths" ||
    fail "the installed program does not use the per-user folder: $paths"
check_user_folder "$root" "$home"

if [ ${#missing_tools[@]} -gt 0 ]; then
    echo "SKIPPED: ${missing_tools[*]} not installed (Debian: desktop-file-utils, appstream)" >&2
    [ "$failures" -eq 0 ] && exit 77
fi
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "install into a scratch prefix: ${#expected_files[@]} files, menu entry and metainfo valid"
