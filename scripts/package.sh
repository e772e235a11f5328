#!/usr/bin/env bash
# Builds the Debian package of Quorvel (cpack -G DEB) from a Release build
# of its own, made with Debian's hardening flags (dpkg-buildflags) for the
# prefix /usr, and prints the package's path last.
#   scripts/package.sh [BUILD_DIR]        (default build-package/)
# Install it with: apt install ./build-package/quorvel_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-package}

"$here/scripts/install-deps.sh" package
cd "$here"
# Every hardening feature Debian has (bind-now and PIE included); no debug
# information, which the package strips anyway (and it slows the compile).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUORVEL_BUILD_UI=ON -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF -DQUORVEL_SANITIZE=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

rm -f "$build"/quorvel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/quorvel_*.deb
