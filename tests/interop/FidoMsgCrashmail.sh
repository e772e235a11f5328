#!/usr/bin/env bash
# *.MSG directories shared with a real tosser, crashmail:
#  1. a packet written here is tossed by crashmail into an echo area and a
#     netmail directory, and quorvel-tool reads every letter right (header,
#     zones and points from INTL/FMPT/TOPT, dates, text);
#  2. letters posted by quorvel-tool, among them the first letter of an empty
#     echo directory, are exported by crashmail's scan with text and control
#     lines intact, and crashmail marks them sent.
# crashmail missing is a failure: test.sh installs it.
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_eq() {  # what, actual, expected
  if [ "$2" != "$3" ]; then
    printf 'FAIL: %s\n--- got:\n%s\n--- expected:\n%s\n' "$1" "$2" "$3" >&2
    exit 1
  fi
}

tool=${QUORVEL_TOOL:-}
[ -x "$tool" ] || fail "QUORVEL_TOOL does not name quorvel-tool"
command -v crashmail >/dev/null || fail "crashmail is not installed (scripts/install-deps.sh test installs it)"
command -v python3 >/dev/null || fail "python3 is not installed"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{inb,outb,tmp,echo,empty,net,bad}

# quorvel-tool posts with these settings, never the user's own: templates that
# put nothing around the typed text (a reply quotes nothing), and the point's
# main address, which the origin line names.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Tressik"
cat >"$XDG_CONFIG_HOME/Tressik/Quorvel.ini" <<'INI'
[quorvel.INI]
User\Name=Point User
User\MainAddress=2:5020/1234
NewLetterTemplate\Line0=@@Position
QuoteReplyTemplate\Line0=@@Quote
INI
origin=" * Origin: Брать пять долларов за спасение жизни - чудовищно!   (2:5020/1234)"

cat >"$work/crashmail.prefs" <<PREFS
SYSOP "Test Sysop"
LOGFILE "$work/crashmail.log"
LOGLEVEL 5
DUPEFILE "$work/dupes" 200
DUPEMODE IGNORE
DEFAULTZONE 2
INBOUND "$work/inb"
OUTBOUND "$work/outb"
TEMPDIR "$work/tmp"
CREATEPKTDIR "$work/tmp"
PACKETDIR "$work/outb"
STATSFILE "$work/stats"
NOROUTE
IMPORTSEENBY
MSG_HIGHWATER
AKA 2:5020/1234
DOMAIN "FidoNet"
NODE 2:5020/100 "" ""
NETMAIL "NETMAIL" 2:5020/1234 MSG "$work/net"
AREA "BAD" 2:5020/1234 MSG "$work/bad"
AREA "TEST.ECHO" 2:5020/1234 MSG "$work/echo"
EXPORT 2:5020/100
AREA "TEST.EMPTY" 2:5020/1234 MSG "$work/empty"
EXPORT 2:5020/100
PREFS
crashmail() { command crashmail SETTINGS "$work/crashmail.prefs" "$@" >>"$work/crashmail.out" 2>&1 ||
                { cat "$work/crashmail.out" >&2; fail "crashmail $*"; }; }

long_line=$(printf 'word%.0s ' $(seq 1 60))

# ---- 1. Tossing a packet ----
LONG="$long_line" python3 - "$work/inb/0badcafe.pkt" <<'PY'
import os, struct, sys

def packet_header(onode, dnode, onet, dnet, ozone, dzone):
    h = struct.pack('<12H', onode, dnode, 2009, 4, 5, 9, 0, 0, 0, 2, onet, dnet)
    h += bytes([0xFE, 0]) + b'\0' * 8 + struct.pack('<3H', ozone, dzone, 0)
    h += struct.pack('>H', 1) + bytes([0, 0]) + struct.pack('<H', 1)
    h += struct.pack('<4H', ozone, dzone, 0, 0) + b'\0' * 4
    assert len(h) == 58
    return h

def packed(onode, dnode, onet, dnet, attr, date, to, frm, subj, text):
    m = struct.pack('<7H', 2, onode, dnode, onet, dnet, attr, 0) + date.encode() + b'\0'
    for field in (to, frm, subj):
        m += field.encode('cp866') + b'\0'
    return m + text.encode('cp866') + b'\0'

p = packet_header(100, 1234, 5020, 5020, 2, 2)
p += packed(100, 1234, 5020, 5020, 0, '05 May 09  09:07:00', 'All', 'John Smith', 'Echo hello',
            'AREA:TEST.ECHO\r\x01MSGID: 2:5020/100 12345678\rHello echo\rВторая строка: ёлки\r'
            + os.environ['LONG'] + '\r--- test\r * Origin: far (2:5020/100)\rSEEN-BY: 5020/100\r\x01PATH: 5020/100\r')
p += packed(100, 1234, 5020, 5020, 0, 'Tue  5 May 09 10:00', 'John Smith', 'Иван Петров', 'Re: Echo hello',
            'AREA:TEST.ECHO\r\x01MSGID: 2:5020/100 12345679\r\x01REPLY: 2:5020/100 12345678\rОтвет\r'
            '--- test\r * Origin: far (2:5020/100)\rSEEN-BY: 5020/100\r\x01PATH: 5020/100\r')
p += packed(3, 1234, 2, 5020, 1, '06 May 09  10:11:00', 'Point User', 'Far Away', 'Net hello',
            '\x01INTL 2:5020/1234 1:2/3\r\x01FMPT 7\r\x01TOPT 5\r\x01MSGID: 1:2/3.7 abcdef01\rHello netmail\r')
p += packed(2, 1234, 1, 5020, 0, '07 May 09  23:59:00', 'Test Sysop', 'Zone Three', 'No points',
            '\x01INTL 2:5020/1234 3:1/2\rZone three, no points\r')
p += b'\0\0'
open(sys.argv[1], 'wb').write(p)
PY
crashmail TOSS

expect_eq "tossed echo letters" "$(ls "$work/echo")" "2.msg
3.msg"
expect_eq "tossed netmail letters" "$(ls "$work/net")" "2.msg
3.msg"

expect_eq "echo list" "$("$tool" list "F$work/echo")" \
"2	0	U	2009-05-05 09:07	John Smith	All	Echo hello
3	0	U	2009-05-05 10:00	Иван Петров	John Smith	Echo hello"

expect_eq "echo letter 2" "$("$tool" read "F$work/echo/" 2 --kludges)" \
"From: John Smith
To: All
Subject: Echo hello
Date: 2009-05-05 09:07
OrigAddr: 1:0/0
DestAddr: 1:0/0

^AMSGID: 2:5020/100 12345678
Hello echo
Вторая строка: ёлки
$long_line
--- test
 * Origin: far (2:5020/100)
SEEN-BY: 5020/100 1234
^APATH: 5020/100 1234"

expect_eq "netmail list" "$("$tool" list "F$work/net")" \
"2	0	U	2009-05-06 10:11	Far Away	Point User	Net hello
3	0	U	2009-05-07 23:59	Zone Three	Test Sysop	No points"

expect_eq "netmail letter with points" "$("$tool" read "F$work/net" 2 --kludges)" \
"From: Far Away
To: Point User
Subject: Net hello
Date: 2009-05-06 10:11
OrigAddr: 1:2/3.7
DestAddr: 2:5020/1234.5

^AINTL 2:5020/1234 1:2/3
^AFMPT 7
^ATOPT 5
^AMSGID: 1:2/3.7 abcdef01
Hello netmail"

read_three=$("$tool" read "F$work/net" 3)
expect_eq "netmail letter from zone 3" "$(sed -n 5,6p <<<"$read_three")" \
"OrigAddr: 3:1/2
DestAddr: 2:5020/1234"

# ---- 2. Exporting what quorvel-tool posts ----
mine=$(printf 'Мой ответ\nline two\n' |
  "$tool" post "F$work/echo" --from "Point User" --to "John Smith" --subject "Re: Echo hello" \
    --addr 2:5020/1234 --reply 2)
expect_eq "number of the posted letter" "$mine" "4"
first=$(printf 'First letter of an empty area\n' |
  "$tool" post "F$work/empty" --from "Point User" --to "All" --subject "First" --addr 2:5020/1234)
expect_eq "the first letter of an empty directory is not 1.msg" "$first" "2"
expect_eq "posted files are lower case" "$(ls "$work/echo" "$work/empty" | tr '\n' ' ')" \
  "$work/echo: 2.msg 3.msg 4.msg  $work/empty: 2.msg "

crashmail SCAN

# Every exported letter: "area|from|to|subject", then its text lines (^A shown as "^A").
exported=$(python3 - "$work/outb" <<'PY'
import glob, sys
def cstr(b, i):
    j = b.index(b'\0', i)
    return b[i:j].decode('cp866'), j + 1
for name in sorted(glob.glob(sys.argv[1] + '/*.pkt')):
    b = open(name, 'rb').read()
    i = 58
    while i + 2 <= len(b) and b[i:i + 2] == b'\2\0':
        i += 14 + 20
        to, i = cstr(b, i)
        frm, i = cstr(b, i)
        subj, i = cstr(b, i)
        text, i = cstr(b, i)
        lines = text.split('\r')
        area = lines[0][5:] if lines[0].startswith('AREA:') else ''
        print('|'.join([area, frm, to, subj]))
        for line in lines[1:]:
            if line:
                print(line.replace('\x01', '^A'))
PY
)
[ -n "$exported" ] || { cat "$work/crashmail.out" >&2; fail "crashmail exported nothing"; }

reply_id=$("$tool" read "F$work/echo" 4 --kludges | grep '^^AMSGID: ')
expect_eq "exported letters" "$(grep -v -e '^SEEN-BY:' -e '^^APATH:' -e '^^ATID:' <<<"$exported")" \
"TEST.ECHO|Point User|John Smith|Re: Echo hello
$reply_id
^AREPLY: 2:5020/100 12345678
^ACHRS: CP866 2
Мой ответ
line two
--- Quorvel 2.00.84
$origin
TEST.EMPTY|Point User|All|First
$("$tool" read "F$work/empty" 2 --kludges | grep '^^AMSGID: ')
^ACHRS: CP866 2
First letter of an empty area
--- Quorvel 2.00.84
$origin"

# crashmail marks what it exported as sent (attribute 0x0008), in place.
attr() { od -An -tu2 -j186 -N2 "$1" | tr -d ' '; }
for letter in "$work/echo/4.msg" "$work/empty/2.msg"; do
  (( ($(attr "$letter") & 0x0108) == 0x0108 )) || fail "$letter is not marked local and sent after the scan"
done
# Our letters are still ours, and crashmail's high-water mark took 1.msg.
expect_eq "letters after the scan" "$("$tool" list "F$work/empty" | cut -f1,5,7)" \
"1	CrashMail II	HighWater mark
2	Point User	First"

echo "PASS"
