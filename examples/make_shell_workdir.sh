#!/usr/bin/env bash
# Makes a fresh working directory for the operator shell on the example day:
# the example's measurement and analysis trees, its long defaults file, the
# templates "tarn_e.dfa" (the example's long defaults) and "efuv.dfa", and the
# shell settings file "TARNcall.dfa" (engine program, defaults file
# tarn_exa.dfa, result codes "S I W", instrument exa, mask 173*).
#   examples/make_shell_workdir.sh <program directory> <output directory>
# The output directory must not exist or be empty.
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 <program directory> <output directory>" >&2
    exit 1
fi
programs=$(cd "$1" && pwd)
out=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -e "$out" ] && [ -n "$(ls -A "$out")" ]; then
    echo "$out is not empty; give a new directory" >&2
    exit 1
fi
mkdir -p "$out"
cp -r "$here/day/." "$out/"
cp "$here/day/tarn_exa.dfa" "$out/tarn_e.dfa"
cp "$here/day/uvanalys/efuv.dfa" "$out/efuv.dfa"
printf '%s\n' "$programs/tarnpelo" "tarn_exa.dfa" "S I W" "exa" "173*" >"$out/TARNcall.dfa"
echo "Shell working directory: $(cd "$out" && pwd)"
