#!/usr/bin/env bash
# Renders the windows of the operator shell to PNG files, offscreen, on the
# example day: makes a fresh shell working directory with
# examples/make_shell_workdir.sh and runs tarn_pictures there.  Then the seven
# quality views: a second working directory whose day the engine analyses
# (one call per scan, as the shell's batch does), and tarn_pictures "views"
# there, with the program directory on the search path for resplot.
#   tools/render_pictures.sh <program directory> <output directory>
# <program directory> holds the built programs (build/bin); tarn_pictures is
# taken from build/tools/pictures beside it.
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 <program directory> <output directory>" >&2
    exit 1
fi
programs=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
pictures="$programs/../tools/pictures/tarn_pictures"
if [ ! -x "$pictures" ]; then
    echo "$pictures not found; build the project with the windowed programs" >&2
    exit 1
fi
mkdir -p "$2"
out=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/../examples/make_shell_workdir.sh" "$programs" "$work/shell" >/dev/null
cd "$work/shell"
QT_QPA_PLATFORM=offscreen "$pictures" "$out"

"$here/../examples/make_shell_workdir.sh" "$programs" "$work/views" >/dev/null
cd "$work/views"
for scan in $(cat scans.txt); do
    "$programs/tarnpelo" "$scan" exa tarn_exa.dfa S I W >/dev/null
done
PATH="$programs:$PATH" QT_QPA_PLATFORM=offscreen "$pictures" "$out" views
