#!/usr/bin/env bash
# The test command: installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test; the parts without windows are also
# built and run under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
# LibreOffice only to check that it opens the workbooks without a complaint; a PostgreSQL
# server for the shared store's tests, which start and stop their own; pdftotext to read
# back the reports.
bash scripts/deps.sh libreoffice-calc-nogui postgresql poppler-utils
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

cmake -S . -B build-asan -DVELMORA_SANITIZE=asan -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

cmake -S . -B build-tsan -DVELMORA_SANITIZE=tsan -DVELMORA_WITH_GUI=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tsan -j "$jobs"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L tsan

# Package: builds the Debian package under umask 002 and 022 (release builds of their own),
# checks both with lintian, installs one, runs the installed programs, purges it. Installing
# needs root.
if [ "$(id -u)" -eq 0 ]; then
    bash tests/package/package_test.sh
else
    echo "package test skipped: it installs the package and needs root" \
         "(sudo bash tests/package/package_test.sh)"
fi

# ---- Windows DLL: cross-built with mingw-w64. The 32-bit DLL is checked statically (export
# table, bytes each export removes, imports); the 64-bit build's library tests and a probe
# of the DLL run under wine64.
bash scripts/build-windows.sh
python3 tests/windows/check_dll.py build-windows
bash tests/windows/run_wine.sh build-windows/x86_64

# Fuzzing: the libFuzzer targets built with clang (build-fuzz/), each run for a few seconds
# on its seed corpus, so that a known input that crashes again fails the tests.
bash scripts/fuzz.sh 5
