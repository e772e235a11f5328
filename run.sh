#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts Quorvel.
#   ./run.sh                                  the demo point (made on first use)
#   ./run.sh FLAGFILE AREASFILE [HUDSONDIR]   your own tosser's areas file
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

"$here/scripts/install-deps.sh" build
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" >/dev/null

if [ $# -eq 0 ]; then
  demo="${XDG_DATA_HOME:-$HOME/.local/share}/quorvel/demo"
  if [ ! -f "$demo/areas.bbs" ]; then
    echo "Making the demo point in $demo"
    "$here/build/src/quorvel-tool" demo "$demo" >/dev/null
  fi
  set -- "$demo/toss.flag" "$demo/areas.bbs" "$demo/hudson/"
fi

exec "$here/build/src/quorvel" "$@"
