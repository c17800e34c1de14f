#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz/) and runs each for the given number of
# seconds (default 60) on its seed corpus in fuzz/corpus/<target>; the archive and results
# targets also start from real archives that archive_seeds writes to build-fuzz/seeds/.
# New inputs the fuzzer finds go to build-fuzz/corpus/<target>, a crashing input to
# build-fuzz/artifacts/; the command fails when a target crashes. Each target's line tells
# its coverage (libFuzzer's count of code edges reached). The test command runs it for a
# few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/deps.sh clang libfuzzer-14-dev
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVELMORA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(settings_fuzz gbk_fuzz archive_fuzz results_fuzz socket_reply_fuzz sim_control_fuzz
         sim_request_fuzz)
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}" archive_seeds

rm -rf build-fuzz/seeds
mkdir -p build-fuzz/seeds
build-fuzz/fuzz/archive_seeds build-fuzz/seeds

# The longest input each target takes: a whole archive; a few dozen replies or requests.
declare -A max_len=([archive_fuzz]=210716 [results_fuzz]=210716 [socket_reply_fuzz]=20000
                    [sim_request_fuzz]=20000)
# Archives are read only at their one size: the mutations keep an input's length instead of
# growing inputs from short ones.
declare -A length_control=([archive_fuzz]=0 [results_fuzz]=0)
declare -A seeds=([archive_fuzz]=build-fuzz/seeds [results_fuzz]=build-fuzz/seeds)
mkdir -p build-fuzz/artifacts
for target in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$target"
    log="build-fuzz/$target.log"
    corpora=("build-fuzz/corpus/$target")
    [[ -d "fuzz/corpus/$target" ]] && corpora+=("fuzz/corpus/$target")
    [[ -n "${seeds[$target]:-}" ]] && corpora+=("${seeds[$target]}")
    if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len="${max_len[$target]:-4096}" \
        -len_control="${length_control[$target]:-100}" \
        -artifact_prefix="build-fuzz/artifacts/$target-" -print_final_stats=1 \
        "${corpora[@]}" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz: $target failed; the input is in build-fuzz/artifacts/" >&2
        exit 1
    fi
    runs=$(grep -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$')
    echo "fuzz: $target ran $runs inputs in ${seconds}s, coverage ${coverage:-0}, no failure"
done
