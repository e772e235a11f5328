#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts Quorvel.
#   ./run.sh                                  the demo point (made on first use)
#   ./run.sh FLAGFILE AREASFILE [HUDSONDIR]   your own tosser's areas file
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

"$here/scripts/install-deps.sh" build
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" >/dev/null

# The launcher the menu entry runs: it makes the demo point when no point is given.
QUORVEL_BINDIR="$here/build/src" exec "$here/packaging/quorvel-start" "$@"
