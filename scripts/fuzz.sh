#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz/) and runs each for the given number of
# seconds (default 60) on its seed corpus in fuzz/corpus/<target>. New inputs the fuzzer
# finds go to build-fuzz/corpus/<target>, a crashing input to build-fuzz/artifacts/; the
# command fails when a target crashes. The test command runs it for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/deps.sh clang libfuzzer-14-dev
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVELMORA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)"

# The longest input each target takes: a whole archive; a few dozen replies or requests.
declare -A max_len=([archive_fuzz]=210716 [socket_reply_fuzz]=20000 [sim_request_fuzz]=20000)
mkdir -p build-fuzz/artifacts
for target in settings_fuzz gbk_fuzz archive_fuzz socket_reply_fuzz sim_control_fuzz sim_request_fuzz; do
    mkdir -p "build-fuzz/corpus/$target"
    log="build-fuzz/$target.log"
    if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len="${max_len[$target]:-4096}" \
        -artifact_prefix="build-fuzz/artifacts/$target-" -print_final_stats=1 \
        "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz: $target failed; the input is in build-fuzz/artifacts/" >&2
        exit 1
    fi
    echo "fuzz: $target ran $(grep -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') inputs in ${seconds}s, no failure"
done
