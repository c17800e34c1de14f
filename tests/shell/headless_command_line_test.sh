#!/usr/bin/env bash
# velmora-headless --help and --version answer with no simulator and no display; a line it
# cannot take is refused with its usage, before anything starts.
set -uo pipefail
program=$1
version=$2
failed=0
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY DQX7460_DRIVER_DIR=/nonexistent "$program" "$@" 2>&1
}
output=$(run --version)
status=$?
[ $status -eq 0 ] && [ "$output" = "velmora-headless $version" ] ||
    { echo "FAIL --version: status $status, output: $output"; failed=1; }
output=$(run --help)
status=$?
if [ $status -ne 0 ] || ! grep -q "^Usage: velmora-headless" <<<"$output" ||
    ! grep -q -- "--area" <<<"$output"; then
    echo "FAIL --help: status $status, output: $output"
    failed=1
fi
output=$(run --area abc)
status=$?
if [ $status -ne 2 ] || ! grep -q "positive number" <<<"$output"; then
    echo "FAIL a refused value: status $status, output: $output"
    failed=1
fi
exit $failed
