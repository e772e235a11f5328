#!/usr/bin/env bash
# Installs what is missing, builds with the tests (sanitizers on) and runs
# every test headless. The benchmarks are built too (not run: they take
# minutes and gigabytes), so that they keep compiling. The exit code is the verdict.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test

build=build-test
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_SANITIZE=ON -DQUORVEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

# The bases written by other programs, beside the project (or beside the
# repository this one was cloned from).
if [ -z "${QUORVEL_FIXTURES:-}" ]; then
  for candidate in ../shared/fixtures "$(git remote get-url origin 2>/dev/null || true)/../shared/fixtures"; do
    if [ -d "$candidate" ]; then QUORVEL_FIXTURES=$(cd "$candidate" && pwd); break; fi
  done
fi
export QUORVEL_FIXTURES=${QUORVEL_FIXTURES:-}

# Tests never touch the user's own settings or data.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" TMPDIR="$scratch/tmp"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$TMPDIR"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

# The core (core, msgbase, model, text) and its tests without Qt: Qt cannot
# even be found there, so a core file that reaches for it fails here.
core_build=build-core
cmake -S . -B "$core_build" -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_WITH_QT=OFF -DQUORVEL_BUILD_TESTS=ON \
  -DQUORVEL_SANITIZE=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON --no-warn-unused-cli >/dev/null
cmake --build "$core_build" -j"$(nproc)"
ctest --test-dir "$core_build" --output-on-failure -j"$(nproc)"

# The Debian package, from a Release build of its own (build-package/),
# unpacked into a scratch root and run from there.
tests/packaging/installed_package.sh
