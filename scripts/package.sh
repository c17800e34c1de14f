#!/usr/bin/env bash
# Builds the Debian package velmora_<version>_<arch>.deb in build-package/: a release build
# with Debian's hardening flags, without tests and benchmarks, packed by CPack. Its
# dependencies are computed from the shared libraries the programs use (dpkg-shlibdeps).
# The programs carry no library search path: the library lies in the loader's own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh dpkg-dev
build=build-package
# Debian's compiler and linker flags with every hardening feature, given on each configure so
# that a changed flag reaches the cache.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
      -DVELMORA_BUILD_TESTS=OFF -DCMAKE_SKIP_INSTALL_RPATH=ON "${launcher[@]}" \
      -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
      -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/velmora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/velmora_*.deb
