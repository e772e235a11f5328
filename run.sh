#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts Quorvel.
#   ./run.sh                                  the demo point (made on first use)
#   ./run.sh FLAGFILE AREASFILE [HUDSONDIR]   your own tosser's areas file
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
step() { printf '\n== %s\n' "$*"; }

step "Checking the Debian packages Quorvel needs"
"$here/scripts/install-deps.sh" build
step "Configuring the build in $here/build"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
step "Building Quorvel (a few minutes the first time; the [ NN%] lines show how far it is)"
cmake --build "$here/build" -j"$(nproc)" | { grep --line-buffered -v 'Built target' || true; }

step "Starting Quorvel"
echo "To start it again without building:"
printf '  QUORVEL_BINDIR=%q %q' "$here/build/src" "$here/packaging/quorvel-start"
if [ $# -gt 0 ]; then printf ' %q' "$@"; fi
printf '\n'
# The launcher the menu entry runs: it makes the demo point when no point is given.
QUORVEL_BINDIR="$here/build/src" exec "$here/packaging/quorvel-start" "$@"
