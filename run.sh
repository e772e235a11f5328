#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts Quorvel with the
# arguments given: ./run.sh FLAGFILE AREASFILE [HUDSONPATH]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

"$here/scripts/install-deps.sh" build
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" >/dev/null

exec "$here/build/src/quorvel" "$@"
