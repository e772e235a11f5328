#!/usr/bin/env bash
# Takes a picture of the areas window over a point set up in a scratch
# directory: the program runs under Xvfb with a small window manager (for the
# title bar), and ImageMagick's import grabs the screen.
#   scripts/screenshot.sh [OUTPUT.png]      (default docs/areas-window.png)
# Installs xvfb, xauth, openbox, imagemagick, crashmail and python3 when they
# are missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs/areas-window.png}
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

"$here/scripts/install-deps.sh" build
missing=()
for p in xvfb xauth openbox imagemagick crashmail python3; do
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
tool=$build/src/quorvel-tool

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

# The point: the demo point when every base format is built; otherwise one of
# the formats there are, where incoming mail is tossed by a real tosser
# (crashmail) from a packet into the netmail and two echo *.MSG areas, and
# the Squish and Hudson areas hold the point's own (read) letters.
make_point() {
  local point=$1
  mkdir -p "$point"/{inb,outb,tmp,netmail,bad,msg/ru.point.talk,msg/su.linux.fido}
  cat >"$point/crashmail.prefs" <<PREFS
SYSOP "Ivan Petrov"
LOGFILE "$point/crashmail.log"
DUPEFILE "$point/dupes" 200
DEFAULTZONE 2
INBOUND "$point/inb"
OUTBOUND "$point/outb"
TEMPDIR "$point/tmp"
CREATEPKTDIR "$point/tmp"
PACKETDIR "$point/outb"
STATSFILE "$point/stats"
NOROUTE
MSG_HIGHWATER
AKA 2:5020/1234
DOMAIN "FidoNet"
NODE 2:5020/100 "" ""
NETMAIL "NETMAIL" 2:5020/1234 MSG "$point/netmail"
AREA "BAD" 2:5020/1234 MSG "$point/bad"
AREA "RU.POINT.TALK" 2:5020/1234 MSG "$point/msg/ru.point.talk"
EXPORT 2:5020/100
AREA "SU.LINUX.FIDO" 2:5020/1234 MSG "$point/msg/su.linux.fido"
EXPORT 2:5020/100
PREFS
  python3 - "$point/inb/5e1f0001.pkt" <<'PY'
import struct, sys, time

def header():
    h = struct.pack('<12H', 100, 1234, 2024, 4, 5, 9, 0, 0, 0, 2, 5020, 5020)
    h += bytes([0xFE, 0]) + b'\0' * 8 + struct.pack('<3H', 2, 2, 0)
    h += struct.pack('>H', 1) + bytes([0, 0]) + struct.pack('<H', 1)
    return h + struct.pack('<4H', 2, 2, 0, 0) + b'\0' * 4

serial = [0x5e1f0000]

def letter(area, frm, to, subject, hours_ago, *lines):
    serial[0] += 1
    date = time.strftime('%d %b %y  %H:%M:%S', time.localtime(time.time() - hours_ago * 3600))
    body = '' if area is None else 'AREA:%s\r' % area
    body += '\x01MSGID: 2:5020/100 %08x\r' % serial[0] + '\r'.join(lines) + '\r'
    if area is not None:
        body += '--- \r * Origin: Станция узла (2:5020/100)\rSEEN-BY: 5020/100 1234\r\x01PATH: 5020/100\r'
    m = struct.pack('<7H', 2, 100, 1234, 5020, 5020, 1 if area is None else 0, 0) + date.encode() + b'\0'
    for field in (to, frm, subject):
        m += field.encode('cp866') + b'\0'
    return m + body.encode('cp866') + b'\0'

p = header()
p += letter(None, 'Сергей Воронов', 'Ivan Petrov', 'Новый адрес', 30,
            'Привет, Иван!', '', 'Твой адрес пойнта 2:5020/1234.5 готов.', '', 'Сергей')
p += letter(None, 'Сергей Воронов', 'Ivan Petrov', 'Пароль', 2,
            'Привет, Иван!', '', 'Пароль для сессий поменялся, новый пришлю голосом.', '', 'Сергей')
p += letter('RU.POINT.TALK', 'Сергей Воронов', 'All', 'Эхи не раскладываются', 26,
            'Привет, All!', '', 'Поставил новый тоссер, а эхи не раскладываются по базам.')
p += letter('RU.POINT.TALK', 'Анна Смирнова', 'Сергей Воронов', 'Re: Эхи не раскладываются', 20,
            'Привет, Сергей!', '', 'Проверь файл областей: у каждой эхи должен быть путь к базе.')
p += letter('RU.POINT.TALK', 'Сергей Воронов', 'Анна Смирнова', 'Re: Эхи не раскладываются', 5,
            'Точно, в двух строках не было пути. Спасибо!')
p += letter('SU.LINUX.FIDO', 'John Smith', 'All', 'Tossing on an ARM board', 50,
            'Hello All,', '', 'My tosser runs on a tiny ARM board now. Any tips?')
for hours, frm in ((40, 'Maria Kuznetsova'), (33, 'John Smith'), (12, 'Pavel Orlov'), (3, 'Maria Kuznetsova')):
    p += letter('SU.LINUX.FIDO', frm, 'All', 'Re: Tossing on an ARM board', hours,
                'Keep the spool on a disk, not on the SD card.')
p += b'\0\0'
open(sys.argv[1], 'wb').write(p)
PY
  crashmail SETTINGS "$point/crashmail.prefs" TOSS >"$point/crashmail.out" 2>&1 ||
    { cat "$point/crashmail.out" >&2; return 1; }

  post() {  # SPEC FROM TO SUBJECT TEXT [REPLYTO]; prints the new letter's number
    local extra=()
    [ -n "${6:-}" ] && extra=(--reply "$6")
    printf '%b\n' "$5" | "$tool" post "$1" --from "$2" --to "$3" --subject "$4" --addr 2:5020/1234.5 "${extra[@]}"
  }
  local n
  n=$(post "S$point/squish/ru.point.local" "Иван Петров" "All" "Что сделать" "- поставить тоссер\n- настроить пойнт")
  post "S$point/squish/ru.point.local" "Иван Петров" "All" "Re: Что сделать" "Сделано." "$n" >/dev/null
  post "H001$point/hudson/" "Иван Петров" "All" "База Hudson" "Кто ещё держит почту в базе Hudson?" >/dev/null
  cat >"$point/areas.bbs" <<AREAS
; exported by the tosser's setup
$point/netmail NETMAIL
$point/msg/ru.point.talk RU.POINT.TALK
$point/msg/su.linux.fido SU.LINUX.FIDO
\$$point/squish/ru.point.local RU.POINT.LOCAL
1 HUDSON.CHAT
AREAS
  printf '%s\t%s\t%s\n' "$point/toss.flag" "$point/areas.bbs" "$point/hudson/"
}

point=$scratch/point
if ! "$tool" demo "$point" >"$scratch/args" 2>/dev/null; then
  rm -rf "$point"
  make_point "$point" >"$scratch/args"
fi
IFS=$'\t' read -r flag areas hudson <"$scratch/args"

Xvfb -displayfd 3 -screen 0 800x520x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
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
import -window root "$out"
echo "$out"
