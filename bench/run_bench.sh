#!/usr/bin/env bash
# Times the engine over the example day against the I/O floor, in one run.
#
#   bench/run_bench.sh [--runs N] [--build DIR] [--work DIR] [--no-profile]
#
#   --runs N      fresh copies of the day per side (default 7); per scan the
#                 median over the copies is reported
#   --build DIR   Release build directory (default build-bench), configured
#                 with -DTARN_BENCH=ON and built here
#   --work DIR    where the scratch directory is made (default /tmp; e.g.
#                 /dev/shm for a memory file system); it is removed at the end
#                 unless --keep
#   --keep        keep the scratch directory
#   --no-profile  skip the callgrind stage shares
#   --engine FILE time this tarnpelo program instead of the one built here
#                 (e.g. a copy of an earlier build, for before/after figures)
#
# Steps: (1) one engine call per scan under strace in a fresh copy of the day,
# each call's file work compiled into an operation file for io_floor;
# (2) N rounds of: the day through the engine in a fresh copy (one call per
# scan, "tarnpelo <scan> exa tarn_exa.dfa S I W", as examples/run_day.sh does),
# then the day through io_floor in another fresh copy; every call is timed by
# run_timed (fork to exit); (3) the floor's tree is compared with the traced
# engine tree byte for byte; (4) peak memory per call from /usr/bin/time -v;
# (5) stage shares from callgrind's inclusive instruction counts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
runs=7
build=$root/build-bench
work=
keep=0
profile=1
engine_given=
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --build) build=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        --keep) keep=1; shift ;;
        --no-profile) profile=0; shift ;;
        --engine) engine_given=$(realpath "$2"); shift 2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
# The scratch directory is always a new one (inside --work when given), so
# that removing it at the end removes nothing else.
mkdir -p "${work:-/tmp}"
work=$(mktemp -d "$(cd "${work:-/tmp}" && pwd)/tarn-bench.XXXXXX")
[ "$keep" = 1 ] || trap 'rm -rf "$work"' EXIT

for tool in strace /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "run_bench: $tool is needed" >&2; exit 2; }
done

echo "== build ($build, Release)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARN_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target tarnpelo run_timed io_floor >/dev/null
engine=${engine_given:-$build/bin/tarnpelo}
timed=$build/bench/run_timed
floor=$build/bench/io_floor
. "$here/day_common.sh"
machine "$work"
echo "engine:   $engine"

echo "== recording the engine's file work (strace)"
mkdir -p "$work/ops"
fresh "$work/trace"
echo "per call: the floor's file reads, opens for writing, writes and bytes written;"
echo "the engine's opens (all, libraries included) and system calls (all)"
fresh "$work/count"
printf '%-8s %6s %6s %6s %9s %9s %9s\n' scan reads opens writes bytes "eng.opens" "eng.calls"
for s in "${scans[@]}"; do
    (cd "$work/trace" &&
        strace -f -e trace=openat,read,write,close,mkdir,unlink,unlinkat,rename,fdatasync,fsync,sync_file_range,flock \
            -s 1048576 -xx -y \
            -o "$work/ops/$s.strace" "$engine" "$s" exa tarn_exa.dfa S I W >/dev/null)
    counts=$("$floor" --compile "$work/ops/$s.strace" "$work/trace" "$work/ops/$s.ops")
    opens=$(grep -c ' openat(' "$work/ops/$s.strace" || true)
    calls=$(cd "$work/count" && strace -f -c -o "$work/ops/$s.count" \
        "$engine" "$s" exa tarn_exa.dfa S I W >/dev/null && awk '/ total$/ {print $4}' "$work/ops/$s.count")
    printf '%-8s %6s %6s %6s %9s %9s %9s\n' "$s" $counts "$opens" "$calls"
done

echo "== timing: $runs fresh copies of the day per side"
: >"$work/engine.txt"
: >"$work/floor.txt"
for r in $(seq 1 "$runs"); do
    fresh "$work/engine$r"
    for s in "${scans[@]}"; do
        line=$(cd "$work/engine$r" && "$timed" "$engine" "$s" exa tarn_exa.dfa S I W)
        echo "$r $s $line" >>"$work/engine.txt"
    done
    fresh "$work/floor$r"
    for s in "${scans[@]}"; do
        line=$(cd "$work/floor$r" && "$timed" "$floor" "$work/ops/$s.ops")
        echo "$r $s $line" >>"$work/floor.txt"
    done
done
if diff -r "$work/trace" "$work/floor1" >/dev/null; then
    echo "floor tree equals the traced engine tree byte for byte"
else
    echo "WARNING: the floor tree differs from the traced engine tree" >&2
fi
if awk '$7 != 0 {bad = 1} END {exit !bad}' "$work/engine.txt"; then
    echo "WARNING: an engine call ended with a non-zero exit code" >&2
fi

# median(file, scan, field): median over the runs of one field for one scan.
median() {
    awk -v s="$2" -v f="$3" '$2 == s {print $f}' "$1" | sort -n |
        awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

echo "== per-scan medians (ms; engine CPU = user + system)"
printf '%-8s %9s %9s %9s %9s %9s %7s\n' scan engine "eng.user" "eng.sys" floor "flr.cpu" ratio
te=0; tf=0; tu=0; ts=0
for s in "${scans[@]}"; do
    e=$(median "$work/engine.txt" "$s" 3)
    u=$(median "$work/engine.txt" "$s" 4)
    y=$(median "$work/engine.txt" "$s" 5)
    f=$(median "$work/floor.txt" "$s" 3)
    fc=$(awk -v s="$s" '$2 == s {print $4 + $5}' "$work/floor.txt" | sort -n |
        awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}')
    awk -v s="$s" -v e="$e" -v u="$u" -v y="$y" -v f="$f" -v c="$fc" 'BEGIN {
        printf "%-8s %9.2f %9.2f %9.2f %9.2f %9.2f %7.2f\n", s, e / 1000, u / 1000, y / 1000,
            f / 1000, c / 1000, e / f }'
    te=$(awk -v a="$te" -v b="$e" 'BEGIN {print a + b}')
    tf=$(awk -v a="$tf" -v b="$f" 'BEGIN {print a + b}')
    tu=$(awk -v a="$tu" -v b="$u" 'BEGIN {print a + b}')
    ts=$(awk -v a="$ts" -v b="$y" 'BEGIN {print a + b}')
done
awk -v e="$te" -v f="$tf" -v u="$tu" -v y="$ts" 'BEGIN {
    printf "%-8s %9.2f %9.2f %9.2f %9.2f %9s %7.2f\n", "day", e / 1000, u / 1000, y / 1000,
        f / 1000, "", e / f }'
echo "(day = sum of the per-scan medians; ratio = engine wall / floor wall)"

echo "== peak memory (/usr/bin/time -v, maximum resident set size)"
fresh "$work/memory"
peak=0
for s in "${scans[@]}"; do
    kb=$(cd "$work/memory" && /usr/bin/time -v "$engine" "$s" exa tarn_exa.dfa S I W 2>&1 >/dev/null |
        awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}')
    [ "$kb" -gt "$peak" ] && peak=$kb
done
fkb=$(cd "$work/floor1" && /usr/bin/time -v "$floor" "$work/ops/${scans[0]}.ops" 2>&1 >/dev/null |
    awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}')
echo "engine: $peak KiB (largest of the day's calls); floor: $fkb KiB"

if [ "$profile" = 1 ] && command -v valgrind >/dev/null && command -v callgrind_annotate >/dev/null; then
    echo "== stage shares (callgrind, instructions, whole day)"
    fresh "$work/profile"
    mkdir -p "$work/callgrind"
    for s in "${scans[@]}"; do
        (cd "$work/profile" &&
            valgrind --tool=callgrind --callgrind-out-file="$work/callgrind/$s.out" \
                "$engine" "$s" exa tarn_exa.dfa S I W >/dev/null 2>&1)
        callgrind_annotate --inclusive=yes --tree=caller "$work/callgrind/$s.out" 2>/dev/null \
            >"$work/callgrind/$s.txt"
    done
    cat "$work"/callgrind/*.txt | awk -f "$here/stage_shares.awk"
fi
