#!/usr/bin/env bash
# The installation as an operator gets it: "cmake --install" of the build into
# a fresh prefix puts the four programs and tarn-workdir in <prefix>/bin and
# the three templates in <prefix>/share/tarn; tarn-workdir makes a working
# directory naming the installed engine; there the installed tarnbat runs two
# example scans through the installed tarnpelo and packs them, and the
# installed resplot plots the applied shifts.
#   test_install.sh <cmake program> <build directory> <source directory>
set -euo pipefail
if [ $# -ne 3 ]; then
    echo "usage: $0 <cmake program> <build directory> <source directory>" >&2
    exit 2
fi
cmake=$1
build=$(cd "$2" && pwd)
source=$(cd "$3" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Installation.
prefix=$tmp/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
bin=$(cd "$prefix/bin" && pwd)
for program in tarnpelo tarncall resplot tarnbat tarn-workdir; do
    [ -f "$bin/$program" ] && [ -x "$bin/$program" ] || fail "$bin/$program is not an installed program"
done
for template in tarn_e.dfa efuv.dfa viewer.dfa; do
    cmp -s "$prefix/share/tarn/$template" "$build/share/tarn/$template" ||
        fail "$prefix/share/tarn/$template differs from the build's template"
done

# A working directory: exactly the templates, the shell settings and three
# directories.
work=$tmp/work
"$bin/tarn-workdir" "$work" >/dev/null
cd "$work"
listing=$(find . | LC_ALL=C sort | tr '\n' ' ')
[ "$listing" = ". ./TARNcall.dfa ./efuv.dfa ./tarn_e.dfa ./uvanalys ./uvanalys/etoz ./uvdata ./viewer.dfa " ] ||
    fail "tarn-workdir made: $listing"
for template in tarn_e.dfa efuv.dfa viewer.dfa; do
    cmp -s "$template" "$prefix/share/tarn/$template" || fail "$template is not the template"
done
expected=$(printf '%s\n' "$bin/tarnpelo" "uvanalys/tarn_e.dfa" "S I W" "TES" "1850900")
[ "$(cat TARNcall.dfa)" = "$expected" ] || fail "TARNcall.dfa holds: $(cat TARNcall.dfa)"
"$bin/tarn-workdir" "$work" >/dev/null 2>&1 && fail "tarn-workdir accepted a directory that is not empty"

# The example day's instrument, reference data and two scans; a batch as the
# shell writes it, with the engine that TARNcall.dfa names.
cp -r "$source/examples/day/uvanalys/." uvanalys/
cp -r "$source/examples/day/uvdata/." uvdata/
cp "$source/examples/day/tarn_exa.dfa" .
find uvdata/exa -name '*.exa' ! -name 1731130.exa ! -name 1731230.exa -delete
engine=$(head -n 1 TARNcall.dfa)
printf '%s\n' "del CHECK.RES" "$engine 1731130 exa tarn_exa.dfa S I W" \
    "$engine 1731230 exa tarn_exa.dfa S I W" \
    "pkzip uvanalys/exa/exa173 uvanalys/exa/173*.* -rp" >tarn_bat.bat
"$bin/tarnbat" tarn_bat.bat >batch.txt 2>batch.err || fail "tarnbat: $(cat batch.err)"
[ "$(grep -c '^< exit status 0$' batch.txt)" = 2 ] || fail "engine calls: $(cat batch.txt)"
grep -q '^< packed [0-9]* files into uvanalys/exa/exa173.zip$' batch.txt || fail "no archive: $(cat batch.txt)"
[ "$(grep -c '^END of Program ' tarnpelo.log)" = 2 ] || fail "tarnpelo.log: $(cat tarnpelo.log)"
rows=0
for scan in 1731130 1731230; do
    file=uvanalys/exa/shift/${scan}W.exa
    [ -f "$file" ] || fail "$file missing"
    rows=$((rows + $(awk '$1 + 0 == $1 && $2 + 0 == $2' "$file" | wc -l)))
done
[ "$rows" -gt 0 ] || fail "no applied-shift rows"

# The installed viewer plots both applied-shift files in one graph.
{
    printf '%s\n' "173*W.exa" "uvanalys/exa/shift/" "Applied shifts" 1 400 290 "Wavelength (nm)" \
        2 0.5 -0.5 "Shift (nm)" 11 10
} >viewer.dfa
QT_QPA_PLATFORM=offscreen "$bin/resplot" --export views >/dev/null 2>viewer.err ||
    fail "resplot: $(cat viewer.err)"
graphs=$(cut -f 2,10 views/graphs.txt)
[ "$graphs" = "$(printf '%s\tApplied shifts' "$rows")" ] || fail "resplot drew: $graphs"
echo "installation in $prefix: programs, templates, working directory, a batch and a view work"
