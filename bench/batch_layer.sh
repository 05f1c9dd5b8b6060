#!/usr/bin/env bash
# The cost of the batch layer and of opening the quality views, in one run.
#
#   bench/batch_layer.sh [--runs N] [--build DIR] [--work DIR] [--keep]
#
#   --runs N      rounds (default 11); medians over the rounds are reported
#   --build DIR   Release build directory (default build-bench), configured
#                 with -DTARN_BENCH=ON and built here
#   --work DIR    where the scratch directory is made (default /tmp; e.g.
#                 /dev/shm for a memory file system); removed at the end
#                 unless --keep
#   --keep        keep the scratch directory
#
# (1) Batch layer.  Each round takes two fresh copies of the example day.  In
# one, the shell's own functions (shell_texts batch) write "tarn_bat.bat" as
# "Run TARN" writes a one-day run without "ZIP" ("del CHECK.RES" and one line
# "tarnpelo <scan> exa tarn_exa.dfa S I W" per scan), and run_timed times
# "tarnbat tarn_bat.bat" from fork to reaped exit.  In the other, run_timed
# times the same engine calls started directly, one after another; the day is
# the sum of the calls' times, so the direct side carries no cost of its own
# between calls.  The two sides alternate which goes first.  Reported: the
# median day of each side, the median of the rounds' differences, and that
# difference as a share of the direct day.  The layer alone, with little
# noise: the same two sides with the engine replaced by /bin/true (what
# tarnbat adds per line and for its start and end), and tarnbat over a batch
# of its first line only.
# (2) Quality views.  The whole example day is analysed once; then, for each of
# the six viewer views over the whole day (mask 173*: the 12 model-ratio files
# in one graph, or the day's quality table), the shell's own functions
# (shell_texts view) write "viewer.dfa", and per round viewer_open times the
# viewer from its process start to the graphs drawn, and run_timed times the
# whole "resplot --export" run (start, plot, PNG files, exit).  Medians.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
runs=11
build=$root/build-bench
work=
keep=0
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --build) build=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        --keep) keep=1; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
mkdir -p "${work:-/tmp}"
work=$(mktemp -d "$(cd "${work:-/tmp}" && pwd)/tarn-batch-layer.XXXXXX")
[ "$keep" = 1 ] || trap 'rm -rf "$work"' EXIT

echo "== build ($build, Release)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARN_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" \
    --target tarnpelo tarnbat resplot run_timed shell_texts viewer_open >/dev/null
engine=$build/bin/tarnpelo
tarnbat=$build/bin/tarnbat
resplot=$build/bin/resplot
timed=$build/bench/run_timed
texts=$build/bench/shell_texts
viewer=$build/bench/viewer_open
. "$here/day_common.sh"

# median: the median of the numbers on standard input.
median() {
    sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

machine "$work"

echo "== batch layer: $runs rounds, ${#scans[@]} scans a day"
: >"$work/days.txt"
# direct_day DIR PROGRAM: the day's calls "PROGRAM <scan> exa tarn_exa.dfa S I W"
# in DIR, each timed by run_timed; prints the summed wall and CPU times (us).
direct_day() {
    local sum=0 cpu=0 line
    for s in "${scans[@]}"; do
        line=$(cd "$1" && "$timed" "$2" "$s" exa tarn_exa.dfa S I W)
        set -- "$1" "$2" $line
        [ "$7" = 0 ] || echo "WARNING: $s ended with $7 (direct)" >&2
        sum=$((sum + $3))
        cpu=$((cpu + $4 + $5))
        set -- "$1" "$2"
    done
    echo "$sum $cpu"
}
# batch_day DIR PROGRAM: the same calls as lines of "tarn_bat.bat", written by
# the shell's functions and run by tarnbat under run_timed; prints its wall
# and CPU times (us; the CPU time includes the calls').
batch_day() {
    (cd "$1" && "$texts" batch "$2" exa tarn_exa.dfa "S I W" "${scans[@]}")
    local line
    line=$(cd "$1" && "$timed" "$tarnbat" tarn_bat.bat)
    set -- $line
    [ "$5" = 0 ] || echo "WARNING: tarnbat ended with $5" >&2
    echo "$1 $(($2 + $3))"
}
# ms: the first number on standard input (us) in milliseconds.
ms() {
    awk '{printf "%.1f", $1 / 1000}'
}
for r in $(seq 1 "$runs"); do
    fresh "$work/direct"
    fresh "$work/batch"
    if [ $((r % 2)) = 1 ]; then
        d=$(direct_day "$work/direct" "$engine")
        b=$(batch_day "$work/batch" "$engine")
        dt=$(direct_day "$work/direct" /bin/true)
        bt=$(batch_day "$work/batch" /bin/true)
    else
        b=$(batch_day "$work/batch" "$engine")
        d=$(direct_day "$work/direct" "$engine")
        bt=$(batch_day "$work/batch" /bin/true)
        dt=$(direct_day "$work/direct" /bin/true)
    fi
    e=$(cd "$work/batch" && printf '%s\n' "del CHECK.RES" >empty.bat && "$timed" "$tarnbat" empty.bat)
    echo "$r $d $b ${e%% *} ${dt%% *} ${bt%% *}" >>"$work/days.txt"
    echo "round $r: day direct $(echo "$d" | ms) ms, tarnbat $(echo "$b" | ms) ms;" \
        "calls of true: direct $(echo "$dt" | ms) ms, tarnbat $(echo "$bt" | ms) ms"
done
if ! diff <(cd "$work/direct" && find . | sort) \
    <(cd "$work/batch" && find . ! -name tarn_bat.bat ! -name empty.bat | sort) >/dev/null; then
    echo "WARNING: the two sides' trees hold different files" >&2
fi
# col EXPRESSION: the median over the rounds of an awk expression of the
# columns of days.txt.
col() {
    awk "{print $1}" "$work/days.txt" | median
}
dm=$(col '$2')
awk -v dm="$dm" -v bm="$(col '$4')" -v dd="$(col '$4 - $2')" -v dc="$(col '$3')" \
    -v bc="$(col '$5')" -v cd="$(col '$5 - $3')" -v em="$(col '$6')" -v tm="$(col '$7')" \
    -v um="$(col '$8')" -v td="$(col '$8 - $7')" 'BEGIN {
    printf "day, median wall:        direct %8.1f ms   tarnbat %8.1f ms\n", dm / 1000, bm / 1000
    printf "day, median CPU (u+s):   direct %8.1f ms   tarnbat %8.1f ms\n", dc / 1000, bc / 1000
    printf "tarnbat - direct, median of the rounds: wall %+.1f ms (%+.2f %% of the direct day), CPU %+.1f ms\n",
        dd / 1000, 100 * dd / dm, cd / 1000
    printf "the same lines calling /bin/true: direct %.1f ms, tarnbat %.1f ms; median difference %+.1f ms (%+.2f %% of the direct day)\n",
        tm / 1000, um / 1000, td / 1000, 100 * td / dm
    printf "tarnbat alone (a batch of its first line only), median wall: %.1f ms\n", em / 1000
}'

echo "== quality views over the whole day: $runs rounds each"
fresh "$work/views"
for s in "${scans[@]}"; do
    (cd "$work/views" && "$engine" "$s" exa tarn_exa.dfa S I W >/dev/null)
done
cd "$work/views"
printf '%-14s %6s %7s %9s %9s %9s %9s %9s %9s\n' view graphs points application window plotted \
    drawn exit resplot
for v in spikes transmission shift1 shift2 shape transmission2; do
    "$texts" view "$v" "173*" exa tarn_exa.dfa
    : >"$work/open.txt"
    : >"$work/export.txt"
    for r in $(seq 1 "$runs"); do
        QT_QPA_PLATFORM=offscreen "$viewer" 2>/dev/null >>"$work/open.txt"
        rm -rf "$work/export"
        QT_QPA_PLATFORM=offscreen "$timed" "$resplot" --export "$work/export" 2>/dev/null >>"$work/export.txt"
    done
    awk '$8 != $6 {bad = 1} END {exit !bad}' "$work/open.txt" &&
        echo "WARNING: a graph of $v was not painted" >&2
    m() { awk -v f="$1" '{print $f}' "$work/open.txt" | median; }
    e=$(awk '{print $1}' "$work/export.txt" | median)
    awk -v v="$v" -v g="$(m 6)" -v p="$(m 7)" -v a="$(m 1)" -v w="$(m 2)" -v l="$(m 3)" \
        -v d="$(m 4)" -v x="$(m 5)" -v e="$e" 'BEGIN {
        printf "%-14s %6d %7d %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f\n", v, g, p, a / 1000, w / 1000,
            l / 1000, d / 1000, x / 1000, e / 1000 }'
done
echo "(ms from the viewer's fork, medians: application object made, main window made"
echo " (settings read), \"Plot\" done, graphs drawn, process ended; resplot: the whole"
echo " \"resplot --export\" run with its PNG files)"
