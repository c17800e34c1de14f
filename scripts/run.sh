#!/usr/bin/env bash
# The run command: installs what is missing, builds, starts the simulated card and rig and
# runs the program on it. With a display the program and the rig panel open; without one a
# whole test runs headless and the files it wrote are listed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target Velmora dqx7460-sim velmora-headless

# The program keeps its data folder under the directory it starts in.
workdir="$PWD/run"
mkdir -p "$workdir"
# Socket paths must stay short, so the driver folder lives under /tmp.
export DQX7460_DRIVER_DIR
DQX7460_DRIVER_DIR=$(mktemp -d /tmp/velmora-driver.XXXXXX)
sim="$PWD/build/sim/dqx7460-sim"
program="$PWD/build/app/shell/Velmora"
headless="$PWD/build/app/headless/velmora-headless"

display=${DISPLAY:-}${WAYLAND_DISPLAY:-}
panel=()
[ -n "$display" ] && panel=(--panel)
"$sim" --dir "$DQX7460_DRIVER_DIR" "${panel[@]}" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -rf "$DQX7460_DRIVER_DIR"' EXIT
for _ in $(seq 100); do
    [ -S "$DQX7460_DRIVER_DIR/EZUSB-0" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { echo "the simulator did not start" >&2; exit 1; }
    sleep 0.05
done

cd "$workdir"
if [ -n "$display" ]; then
    echo "Velmora and the rig panel are open. Press the panel's Start button: it moves the"
    echo "crosshead and starts the test (开始采集 in the program only records); the specimen"
    echo "breaks after about 8 s and the test is saved in $workdir/测试数据存档/."
    "$program"
else
    echo "No display: running one whole test headless on the simulated rig."
    # The simulated frame and grips give 0.04 mm/N of the crosshead's travel.
    "$headless" --compliance 0.04
    echo
    echo "Open the PNG and the PDF to see the window and the report; the .xls opens in a"
    echo "spreadsheet program. With a display, this command opens the program and the rig panel."
fi
