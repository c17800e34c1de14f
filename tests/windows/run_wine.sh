#!/usr/bin/env bash
# Runs the 64-bit Windows build's library tests and the DLL probe under wine64, in a
# throw-away wine prefix, each step bounded in time. Needs no display.
set -euo pipefail
build=$(cd "${1:?usage: run_wine.sh BUILD-FOLDER (build-windows/x86_64)}" && pwd)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/velmora-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT

timeout 300 "$wine" wineboot --init >/dev/null 2>&1
cd "$build"
timeout 300 "$wine" ./devlib_tests.exe --gtest_brief=1
timeout 60 "$wine" ./dll_probe.exe
