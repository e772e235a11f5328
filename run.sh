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

if [ $# -eq 0 ]; then
  demo="${XDG_DATA_HOME:-$HOME/.local/share}/quorvel/demo"
  if [ ! -f "$demo/areas.bbs" ]; then
    step "Making the demo point in $demo"
    "$here/build/src/quorvel-tool" demo "$demo" >/dev/null
  fi
  set -- "$demo/toss.flag" "$demo/areas.bbs" "$demo/hudson/"
fi

step "Starting Quorvel"
echo "To start it again without building:"
printf '  %q' "$here/build/src/quorvel" "$@"
printf '\n'
exec "$here/build/src/quorvel" "$@"
