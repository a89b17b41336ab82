#!/usr/bin/env bash
# Start-up to the first installed wallpaper, and the resident program's
# memory between passes, with a 15 000-day schedule file on a 1920x1080 X
# server of its own. Needs the release build (./run.sh) and Xvfb.
#   bench/startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
velmora=build/release/velmora
[ -x "$velmora" ] || { echo "build the release preset first (./run.sh)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is needed" >&2; exit 1; }

home=$(mktemp -d)
display=":$((150 + $$ % 50))"
cleanup() {
    [ -n "${resident:-}" ] && kill "$resident" 2>/dev/null || true
    [ -n "${server:-}" ] && kill "$server" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT

# 15 000 dated days of two entries each, CP932 with CRLF, as a shared office file holds them.
mkdir -p "$home/Schedule"
python3 - "$home/Schedule/Schedule.dat" <<'PY'
import datetime, sys
first = datetime.date(1990, 1, 1)
lines = ["[DAY]"]
for i in range(15000):
    d = first + datetime.timedelta(days=i)
    lines.append(f'{d:%Y/%m/%d}="定例打ち合わせ（営業部・開発部合同） {i} ","第二会議室で来期の予算資料を確認、議事録を共有する "')
lines += ["[COMPUTER]", "COMPUTER=BENCH"]
open(sys.argv[1], "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
cp build/release/first.ini "$home/calendar.ini"
ls -l "$home/Schedule/Schedule.dat" | awk '{print "schedule file: " $5 " bytes"}'

Xvfb "$display" -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.05; done

export DISPLAY=$display VELMORA_HOME=$home VELMORA_COMPUTERNAME=BENCH
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION
# One run first: fonts and the program's pages come into the cache.
"$velmora" /0 >/dev/null
echo "velmora /0 (start-up, first calendar installed as the wallpaper, shutdown saves):"
for i in $(seq "$runs"); do
    start=$(date +%s%N)
    "$velmora" /0 >/dev/null
    end=$(date +%s%N)
    echo "  run $i: $(( (end - start) / 1000000 )) ms"
done

# The resident program: its memory once the first pass is over and the bitmaps are emptied.
rm -f "$home/calendar.bmp"
"$velmora" >/dev/null 2>&1 &
resident=$!
for _ in $(seq 200); do [ -s "$home/calendar.bmp" ] && break; sleep 0.05; done
sleep 2
echo "resident between passes: $(awk '/VmRSS/ {print $2 " " $3}' /proc/$resident/status) (VmRSS)"
