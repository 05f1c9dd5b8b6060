#!/usr/bin/env bash
# Makes an operator's working directory for the shell tarncall: the templates
# "tarn_e.dfa", "efuv.dfa" and "viewer.dfa" from the installation's share
# directory, the shell settings file "TARNcall.dfa" naming the engine installed
# beside this script, and the directories the built-in settings name: the main
# analysis path "uvanalys/" with the reference directory "uvanalys/etoz/", and
# "uvdata/" for the measurements.  The reference spectra, the instrument's
# slit file and the scans are the operator's to put there.
#   tarn-workdir <directory>
# The directory must not exist or be empty.
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: tarn-workdir <directory>" >&2
    exit 1
fi
bin=$(cd "$(dirname "$0")" && pwd)
templates="$bin/../share/tarn"
out=$1
for name in tarn_e.dfa efuv.dfa viewer.dfa; do
    if [ ! -f "$templates/$name" ]; then
        echo "tarn-workdir: template $templates/$name not found" >&2
        exit 1
    fi
done
if [ -e "$out" ] && [ -n "$(ls -A "$out")" ]; then
    echo "tarn-workdir: $out is not empty; give a new directory" >&2
    exit 1
fi
mkdir -p "$out/uvanalys/etoz" "$out/uvdata"
cp "$templates/tarn_e.dfa" "$templates/efuv.dfa" "$templates/viewer.dfa" "$out/"
printf '%s\n' "$bin/tarnpelo" "uvanalys/tarn_e.dfa" "S I W" "TES" "1850900" >"$out/TARNcall.dfa"
echo "Working directory: $(cd "$out" && pwd)"
