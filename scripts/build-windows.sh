#!/usr/bin/env bash
# Cross-builds the card library for Windows with mingw-w64, after installing what is missing:
# build-windows/i686/ and build-windows/x86_64/ each hold DQX7460.dll and DQX7460.lib, the
# import library for its callers; the x86_64 folder also holds the library's tests and a
# probe of the DLL, which tests/windows/run_wine.sh runs under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 googletest wine64 llvm-14 python3
jobs=$(nproc)
for arch in i686 x86_64; do
    options=()
    # 32-bit Windows code cannot run on these machines: the 32-bit build has no test program.
    if [ "$arch" = x86_64 ]; then options+=(-DVELMORA_GTEST_SOURCE_DIR=/usr/src/googletest); fi
    cmake -S . -B "build-windows/$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
        -DVELMORA_DEVLIB_ONLY=ON -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
    cmake --build "build-windows/$arch" -j "$jobs"
done
