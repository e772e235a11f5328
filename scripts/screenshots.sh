#!/usr/bin/env bash
# Takes the three pictures of the README over the demo point (quorvel-tool
# demo): the areas window after its first scan, the window of the demo's JAM
# area RU.POINT.TALK with its first new letter shown, and an editor writing a
# reply to that letter. The program runs under
# Xvfb with a small window manager (for the title bars); xdotool types the
# keys a user would, and ImageMagick's import grabs the screen.
#   scripts/screenshots.sh [OUTPUT_DIR]      (default docs/)
# Installs xvfb, xauth, openbox, imagemagick and xdotool when they are missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
outdir=${1:-$here/docs}
mkdir -p "$outdir"
outdir=$(cd "$outdir" && pwd)

"$here/scripts/install-deps.sh" build
missing=()
for p in xvfb xauth openbox imagemagick xdotool; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=$here/build-release
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target quorvel quorvel-tool >/dev/null

# Nothing of the user's own: settings and data live in the scratch directory.
scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
unset QT_QPA_PLATFORM

"$build/src/quorvel-tool" demo "$scratch/point" >"$scratch/args"
IFS=$'\t' read -r flag areas hudson <"$scratch/args"

Xvfb -displayfd 3 -screen 0 900x600x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$scratch/display")
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
"$build/src/quorvel" "$flag" "$areas" "$hudson" >/dev/null 2>&1 &
pids+=($!)
# The first scan starts a tenth of a second after the window; the point is small.
sleep 4
import -window root "$outdir/areas-window.png"
echo "$outdir/areas-window.png"

# Typing part of a tag finds the area; Enter opens it. The first new letter
# is shown once the selection has rested (300 ms).
xdotool search --sync --onlyvisible --name '^Quorvel' windowactivate --sync >/dev/null 2>&1 || true
xdotool type --delay 120 'ru.point'
xdotool key Return
sleep 3
import -window root "$outdir/area-window.png"
echo "$outdir/area-window.png"

# F4 answers the letter; Enter goes from the subject into the text, which is
# prepared then. Down to the end of the answered letter's last quoted line,
# Enter there opens two unquoted lines, and the answer is typed.
xdotool key F4
sleep 2
xdotool key Return
sleep 1
for _ in 1 2 3 4 5; do xdotool key Down; done
xdotool key End Return
xdotool type --delay 60 'Рада, что помогло. Удачи с тоссером!'
sleep 1
import -window root "$outdir/editor-window.png"
echo "$outdir/editor-window.png"
