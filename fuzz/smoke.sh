#!/usr/bin/env bash
# Fuzz smoke: builds the libFuzzer targets of the reader harnesses with clang
# (AddressSanitizer and UBSan) in build-fuzz-smoke and runs each for a few
# seconds on its seed corpus and regression inputs.  Skipped (exit 0) when
# clang++ or the libFuzzer runtime is missing.
#   fuzz/smoke.sh [seconds per target, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
readers="long_defaults short_defaults instrument output_spec scan slit reference efuv action install
    shell_settings shell_defaults viewer_settings columns shift_graph batch_lines"

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz smoke skipped: clang++ not found"
    exit 0
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" \
    >/dev/null 2>&1; then
    echo "fuzz smoke skipped: libFuzzer runtime not found (libclang-rt-14-dev)"
    exit 0
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz-smoke -DTARN_FUZZ=ON -DTARN_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz-smoke -j"$(nproc)" --target fuzz_all >/dev/null

# The harnesses' scratch directories go to memory when it is there, inside a
# directory of this script's own that is removed at the end.
scratchRoot="$probe"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then scratchRoot=$(mktemp -d /dev/shm/tarn-smoke-XXXXXX); fi
trap 'rm -rf "$probe" "$scratchRoot"' EXIT
export TMPDIR="$scratchRoot"
# Absolute paths: the harnesses change the working directory.
root=$(pwd)
artifacts="$root/build-fuzz-smoke/artifacts"
mkdir -p "$artifacts"
failed=""
for reader in $readers; do
    # New inputs go to a scratch directory, never into the committed corpus.
    scratch="$probe/$reader"
    mkdir -p "$scratch"
    dirs=("$root/fuzz/corpus/$reader")
    if [ -d "$root/fuzz/regressions/$reader" ]; then dirs+=("$root/fuzz/regressions/$reader"); fi
    if "build-fuzz-smoke/fuzz/fuzz_$reader" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=10 -max_len=65536 -artifact_prefix="$artifacts/$reader-" -print_final_stats=1 \
        "$scratch" "${dirs[@]}" >"$probe/$reader.log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$probe/$reader.log")
        echo "fuzz smoke $reader: ok, $runs runs in ${seconds} s"
    else
        echo "fuzz smoke $reader: FAILED (failing input under $artifacts)"
        tail -n 40 "$probe/$reader.log"
        failed="$failed $reader"
    fi
done
if [ -n "$failed" ]; then
    echo "fuzz smoke failed for:$failed"
    exit 1
fi
echo "fuzz smoke: every target ran clean"
