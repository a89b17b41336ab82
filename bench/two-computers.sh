#!/usr/bin/env bash
# Two computers adding to one shared schedule file at the same time, free
# running: PC-A and PC-B (velmora-cli with their own VELMORA_COMPUTERNAME on
# one folder) each add ROUNDS entries, retrying while the other holds the
# lock. Afterwards every entry must be in the file, every line the file
# started with must still be there, the lock must be free and no temporary
# file may be left. Exit status 1 when anything was lost (or an entry is
# there twice: an add that said it failed had saved).
#
#   bench/two-computers.sh [--cli PATH] [--rounds N] [--size small|large] [--dates N] [--keep]
#
#   --cli     velmora-cli to run (default build/release/velmora-cli)
#   --rounds  adds per computer (default 300)
#   --size    small: the fresh data file a new folder gets, with 25 more
#             dated days in [DAY] (about 6.5 KB); large: with 20 000 more
#             (about 1.9 MB)
#   --dates   the adds go round-robin over 2027/01/01 .. 2027/01/N (default
#             28, as people add to many days; 1 puts every entry on one day,
#             so that each add rewrites one ever longer list)
#   --keep    keep the folder (it is always kept when something was lost)
#
# The folder is made with mktemp -d (set TMPDIR to race on another file system).
set -euo pipefail

cli=""
rounds=300
size=small
ndates=28
keep=0
while [ $# -gt 0 ]; do
    case "$1" in
    --cli) cli=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --dates) ndates=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h | --help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    *) echo "unknown argument: $1 (see --help)" >&2; exit 2 ;;
    esac
done
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || { echo "--rounds takes a positive number" >&2; exit 2; }
if ! [[ "$ndates" =~ ^[1-9][0-9]*$ ]] || [ "$ndates" -gt 28 ]; then
    echo "--dates takes 1 .. 28" >&2
    exit 2
fi
[ "$size" = small ] || [ "$size" = large ] || { echo "--size takes small or large" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
cli=${cli:-$repo/build/release/velmora-cli}
[ -x "$cli" ] || { echo "no velmora-cli at $cli (build the release preset, or give --cli)" >&2; exit 1; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
command -v python3 >/dev/null || { echo "python3 is needed to make the data file" >&2; exit 1; }

home=$(mktemp -d)
work=$home/.race
mkdir "$work"
failed=1
# shellcheck disable=SC2317 # run by the trap
cleanup() {
    if [ "$keep" = 1 ] || [ "$failed" = 1 ]; then
        echo "folder kept: $home" >&2
    else
        rm -rf "$home"
    fi
}
trap cleanup EXIT
data=$home/Schedule/Schedule.dat

# The fresh file a new folder starts from, made by the program itself; then
# owned by all users, so that neither computer is asked whose data it is.
VELMORA_COMPUTERNAME=SETUP "$cli" --home "$home" unlock
python3 - "$data" "$size" <<'PY'
import datetime, sys
path, size = sys.argv[1], sys.argv[2]
lines = open(path, "rb").read().decode("cp932").split("\r\n")
if lines and lines[-1] == "":
    lines.pop()
keys = {l.split("=", 1)[0] for l in lines}
day = lines.index("[DAY]")
extra = 25 if size == "small" else 20000
added, d = [], datetime.date(1930, 1, 1)
while len(added) < extra:
    key = f"{d:%Y/%m/%d}"
    if key not in keys:
        added.append(f'{key}="定例打ち合わせ（営業部・開発部合同） {len(added)} ","第二会議室で予算の議事録を共有する "')
    d += datetime.timedelta(days=1)
lines[day + 1:day + 1] = added
section = ""
for i, l in enumerate(lines):
    if l.startswith("["):
        section = l
    elif section == "[COMPUTER]" and l.startswith("COMPUTER="):
        lines[i] = "COMPUTER=ALLUSER"
open(path, "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
# What must survive: every line but the lock bookkeeping, which every save rewrites.
grep -av '^\(UPDATEUSER\|LASTUPDATEUSER\|LASTUPDATE\)=' "$data" | LC_ALL=C sort >"$work/original"
start_bytes=$(wc -c <"$data")

date_of() { printf '2027/01/%02d' $(( ($1 - 1) % ndates + 1 )); }

# One computer's adds; a refused add is tried again after a short pause.
# Counts go to $work/NAME: refusals (the other holds the lock), other failures.
computer() {
    local name=$1 prefix=$2 i status refused=0 other=0 tries
    for ((i = 1; i <= rounds; i++)); do
        tries=0
        while :; do
            status=0
            VELMORA_COMPUTERNAME=$name "$cli" --home "$home" add "$(date_of "$i")" "$prefix-$i" --yes \
                >/dev/null 2>"$work/$name.err" || status=$?
            [ "$status" = 0 ] && break
            if [ "$status" = 1 ] && grep -q 'が更新中です' "$work/$name.err"; then
                refused=$((refused + 1))
            else
                other=$((other + 1))
                echo "status $status: $(tr '\n' ' ' <"$work/$name.err")" >>"$work/$name.failures"
                [ "$status" = 1 ] || break # not a refusal: a crash or a usage error, do not spin on it
            fi
            tries=$((tries + 1))
            if [ "$tries" -ge 3000 ]; then
                echo "$name: $prefix-$i failed 3000 times in a row; given up" >>"$work/$name.failures"
                break
            fi
            sleep 0.01
        done
    done
    echo "$refused $other" >"$work/$name"
}

begin=$(date +%s.%N)
computer PC-A A &
pid_a=$!
computer PC-B B &
pid_b=$!
wait "$pid_a" "$pid_b"
end=$(date +%s.%N)

# Every entry of the race dates in [DAY], one "date text" line each.
tr -d '\r' <"$data" | awk '
    /^\[/ { inDay = ($0 == "[DAY]"); next }
    inDay && /^2027\/01\/[0-9][0-9]=/ {
        date = substr($0, 1, 10)
        rest = substr($0, 12)
        while (match(rest, /"[AB]-[0-9]+ "/)) {
            print date, substr(rest, RSTART + 1, RLENGTH - 3)
            rest = substr(rest, RSTART + RLENGTH)
        }
    }' | LC_ALL=C sort >"$work/found"
for ((i = 1; i <= rounds; i++)); do
    echo "$(date_of "$i") A-$i"
    echo "$(date_of "$i") B-$i"
done | LC_ALL=C sort >"$work/expected"

expected=$(wc -l <"$work/expected")
lost=$(LC_ALL=C comm -23 "$work/expected" "$work/found" | wc -l)
found=$((expected - lost))
duplicated=$(uniq -d "$work/found" | wc -l)
lines_lost=$(LC_ALL=C comm -23 "$work/original" <(grep -av '^\(UPDATEUSER\|LASTUPDATEUSER\|LASTUPDATE\)=' "$data" | LC_ALL=C sort) | wc -l)
temporaries=$(find "$home" -name '*.tmp' | wc -l)
holder=$(tr -d '\r' <"$data" | awk '/^\[/ { c = ($0 == "[COMPUTER]"); next } c && /^UPDATEUSER=/ { print substr($0, 12) }')
read -r refused_a other_a <"$work/PC-A"
read -r refused_b other_b <"$work/PC-B"

echo "rounds:            $rounds per computer, over $ndates date(s)"
echo "size:              $size, $start_bytes bytes at the start, $(wc -c <"$data") at the end"
echo "entries expected:  $expected"
echo "entries found:     $found"
echo "lost:              $lost"
echo "duplicated:        $duplicated"
echo "original lines lost: $lines_lost"
echo "refusals:          $((refused_a + refused_b)) (PC-A $refused_a, PC-B $refused_b)"
echo "other failures:    $((other_a + other_b)) (PC-A $other_a, PC-B $other_b)"
echo "lock at the end:   ${holder:-free}"
echo "temporary files:   $temporaries"
awk -v b="$begin" -v e="$end" -v n="$expected" 'BEGIN { printf "elapsed:           %.1f s (%.1f adds/s)\n", e - b, n / (e - b) }'

if [ -s "$work/PC-A.failures" ] || [ -s "$work/PC-B.failures" ]; then
    echo "failures other than refusals, retried (count, message):"
    cat "$work"/PC-*.failures 2>/dev/null | sort | uniq -c | sort -rn | head -10
fi
if [ "$lost" -gt 0 ]; then
    echo "lost entries (first 20):"
    LC_ALL=C comm -23 "$work/expected" "$work/found" | head -20 | sed 's/^/  /'
fi
# Failures other than refusals are shown but were retried; what counts is the file.
if [ "$lost" -eq 0 ] && [ "$lines_lost" -eq 0 ] && [ "$duplicated" -eq 0 ] && [ "$temporaries" -eq 0 ] &&
    [ -z "$holder" ]; then
    failed=0
    exit 0
fi
exit 1
