#!/usr/bin/env bash
# Runs the engine over the example day: one engine call per scan, as the
# operator shell's batch does, in a fresh working directory.
#   examples/run_day.sh <tarnpelo program> <output directory>
set -euo pipefail
engine=$(realpath "$1")
out=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
cp -r "$here/day/." "$out/"
cd "$out"
for scan in $(cat scans.txt); do
    "$engine" "$scan" exa tarn_exa.dfa S I W
done
echo "Results under $(pwd)"
