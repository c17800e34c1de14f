#!/usr/bin/env bash
# Velmora --version and --help answer without a display: run where the window system
# cannot start (no display, the X platform asked for), they print and end with status 0.
set -uo pipefail
program=$1
version=$2
failed=0
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" "$@" 2>&1
}
expect() {
    local name=$1 status=$2 output=$3 pattern=$4
    if [ "$status" -ne 0 ] || ! grep -q -E -e "$pattern" <<<"$output"; then
        echo "FAIL $name: status $status, output:"
        echo "$output"
        failed=1
    fi
}
output=$(run --version)
expect "--version" $? "$output" "^Velmora $version\$"
[ "$(wc -l <<<"$output")" -eq 1 ] || { echo "FAIL --version prints more than its line"; failed=1; }
for option in --help -h; do
    output=$(run "$option")
    expect "$option" $? "$output" "^Usage: Velmora"
    expect "$option names --version" 0 "$output" "--version"
    expect "$option names --lang" 0 "$output" "--lang en.zh"
done
# A language other than en or zh is refused before any window, with the usage.
output=$(run --lang fr)
status=$?
[ "$status" -eq 2 ] && grep -q "^Usage: Velmora" <<<"$output" && grep -q "fr" <<<"$output" ||
    { echo "FAIL --lang fr: status $status, output:"; echo "$output"; failed=1; }
output=$(run --lang)
[ $? -eq 2 ] || { echo "FAIL --lang without a value was taken"; failed=1; }
# An option Qt takes goes on to the application, which here cannot start.
run -style fusion >/dev/null
[ $? -ne 0 ] || { echo "FAIL without a display the window started"; failed=1; }
exit $failed
