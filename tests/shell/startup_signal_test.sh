#!/usr/bin/env bash
# A termination signal while the program waits on its start-up notice (here: no card) ends
# it with 128 + the signal, as it does later; it was once lost with the notice still open.
set -uo pipefail
program=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/no-card" "$scratch/work"
# Polls the condition every 0.1 s for at most the given seconds.
wait_for() {
    local tries=$(($1 * 10))
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}
failed=0
for signal in TERM INT HUP; do
    (cd "$scratch/work" && DQX7460_DRIVER_DIR="$scratch/no-card" QT_QPA_PLATFORM=offscreen \
        exec "$program") >"$scratch/log" 2>&1 &
    pid=$!
    wait_for 60 test -f "$scratch/work/测试数据存档/MyTestSet.dat" ||
        { echo "FAIL SIG$signal: the program did not start"; failed=1; }
    kill -s "$signal" "$pid"
    if wait_for 30 bash -c "! kill -0 $pid 2>/dev/null"; then
        wait "$pid"
        status=$?
        expected=$((128 + $(kill -l "$signal")))
        [ "$status" -eq "$expected" ] ||
            { echo "FAIL SIG$signal: status $status, not $expected"; cat "$scratch/log"; failed=1; }
    else
        echo "FAIL SIG$signal: the program did not end"
        kill -KILL "$pid"
        wait "$pid"
        failed=1
    fi
    rm -rf "$scratch/work/测试数据存档"
done
exit $failed
