#!/usr/bin/env bash
# Netmail written by quorvel-tool reaches its addressee through a real tosser,
# crashmail, set up as the point 2:5020/1234.5 whose boss is 2:5020/1234:
#  1. letters posted with --dest into a *.MSG netmail directory, to the boss,
#     to a node in another zone and to another point, are packed by crashmail's
#     scan for the boss with their full destination (zone from INTL, net and
#     node from the packed header, point from TOPT), their sender (FMPT), the
#     Private flag, the text and the control lines; crashmail marks them Sent;
#  2. a letter tossed into that directory from 1:234/5.6, answered with
#     --netmail --reply, goes back to 1:234/5.6;
#  3. the same for a JAM netmail base, one letter: crashmail reads JAM headers
#     through signed bytes on amd64 (see jam_crashmail.sh), so only the first
#     letter of a base, whose offsets are all small, is read right by it.
set -euo pipefail
source "$(dirname "$0")/support/common.bash"
require crashmail

mkdir -p "$work"/{net,bad,jam}
# prefs NETMAIL-LINE: crashmail's settings for the point with that netmail area.
prefs() {
  { crashmail_prefs "Point User"; cat <<EOF; } >"$work/crashmail.prefs"
MSG_HIGHWATER
AKA 2:5020/1234.5
NODE 2:5020/1234 "" "" PACKNETMAIL
ROUTE "*:*/*.*" "2:5020/1234.0" 2:5020/1234.5
$1
AREA "BAD" 2:5020/1234.5 MSG "$work/bad"
EOF
}
crashmail_run() {
  crashmail SETTINGS "$work/crashmail.prefs" "$@" NOSECURITY >"$work/crashmail.out" 2>&1 ||
    { cat "$work/crashmail.out" >&2; fail "crashmail $* failed"; }
}
# exported: the letters crashmail packed, with their full addresses and
# attribute word; its Via lines and our MSGID serials (checked by the tool's
# tests) left out. The packets are removed.
exported() {
  ls "$work"/out/*.pkt >/dev/null 2>&1 || { cat "$work/crashmail.out" >&2; fail "crashmail packed nothing"; }
  fidopkt dump --addresses "$work"/out/*.pkt | grep -v -e '^^AVia ' -e '^$' |
    sed -E 's/^(\^AMSGID: [^ ]+) [0-9A-F]{8}$/\1 SERIAL/'
  rm -f "$work"/out/*
}
post() {  # SPEC TO SUBJECT TEXT OPTIONS...: posts from the point, prints the number
  local spec=$1 to=$2 subject=$3 text=$4
  shift 4
  printf '%s\n' "$text" | tool post "$spec" --from "Point User" --to "$to" --subject "$subject" \
    --addr 2:5020/1234.5 "$@" || fail "post to $to failed"
}
# The attribute word of a *.MSG letter.
msg_attr() { od -An -tu2 -j186 -N2 "$1" | tr -d ' '; }
net=F$work/net

# ---------------------------------------------------------------- 1. *.MSG netmail
prefs "NETMAIL \"NETMAIL\" 2:5020/1234.5 MSG \"$work/net\""
boss=$(post "$net" "Boss" "Poll schedule" "Poll me at night, please." --dest 2:5020/1234)
far=$(post "$net" "Far Node" "Across zones" "Greetings to zone 1." --dest 1:234/5)
other=$(post "$net" "Other Point" "Hello neighbour" "Hello from a point." --dest 5020/77.3)
[ "$boss $far $other" = "2 3 4" ] || fail "posted as $boss $far $other, expected 2 3 4"
# A bad address is a bad argument (exit 2) and writes nothing.
rc=0
printf 'x\n' | tool post "$net" --from a --to b --subject c --addr 2:5020/1234.5 --dest 2:5020/70000 \
  2>"$work/err" >/dev/null || rc=$?
[ "$rc" = 2 ] || fail "an address part above 65535 gave exit code $rc, not 2"
grep -q 'В адресе получателя "2:5020/70000" есть число больше 65535' "$work/err" ||
  fail "no clear message for a part above 65535: $(cat "$work/err")"
[ "$(ls "$work/net")" = "$(printf '2.msg\n3.msg\n4.msg')" ] || fail "a refused letter left a file"

crashmail_run SCAN
cat >"$work/expected" <<'EOF'
FROM Point User
TO Boss
ORIGADDR 2:5020/1234.5
DESTADDR 2:5020/1234
ATTR 0x0001
SUBJECT Poll schedule
TEXT
^AFMPT 5
^AINTL 2:5020/1234 2:5020/1234
^AMSGID: 2:5020/1234.5 SERIAL
Poll me at night, please.
--- Quorvel 2.00.84
END
FROM Point User
TO Far Node
ORIGADDR 2:5020/1234.5
DESTADDR 1:234/5
ATTR 0x0001
SUBJECT Across zones
TEXT
^AFMPT 5
^AINTL 1:234/5 2:5020/1234
^AMSGID: 2:5020/1234.5 SERIAL
Greetings to zone 1.
--- Quorvel 2.00.84
END
FROM Point User
TO Other Point
ORIGADDR 2:5020/1234.5
DESTADDR 2:5020/77.3
ATTR 0x0001
SUBJECT Hello neighbour
TEXT
^ATOPT 3
^AFMPT 5
^AINTL 2:5020/77 2:5020/1234
^AMSGID: 2:5020/1234.5 SERIAL
Hello from a point.
--- Quorvel 2.00.84
END
EOF
exported >"$work/packed"
same "the netmail crashmail packed" "$work/expected" "$work/packed"
# Sent (0x0008) is added in place; Private and Local stay.
for n in 2 3 4; do
  [ "$(msg_attr "$work/net/$n.msg")" = $((0x0109)) ] || fail "$n.msg is not local, private and sent after the scan"
done

# ---------------------------------------------------------------- 2. an answer goes back
fidopkt write "$work/in/00000001.pkt" <<'EOF'
FROM Far Point 1:234/5.6
TO Point User 2:5020/1234.5
SUBJECT Hello from zone 1
DATE 01 Dec 24  09:00:00
TEXT
^AINTL 2:5020/1234 1:234/5
^AFMPT 6
^ATOPT 5
^AMSGID: 1:234/5.6 1a2b3c4d
Hello from far away.
END
EOF
crashmail_run TOSS
tossed=$(tool list "$net" | awk -F'\t' '$5 == "Far Point" {print $1}')
[ -n "$tossed" ] || fail "crashmail did not toss the letter into the netmail directory"
tool read "$net" "$tossed" | sed -n 5,6p >"$work/read"
printf 'OrigAddr: 1:234/5.6\nDestAddr: 2:5020/1234.5\n' >"$work/expected"
same "the tossed letter's addresses" "$work/expected" "$work/read"
answer=$(post "$net" "Far Point" "Re: Hello from zone 1" "Hello back." --netmail --reply "$tossed")
tool read "$net" "$answer" | sed -n 5,6p >"$work/read"
printf 'OrigAddr: 2:5020/1234.5\nDestAddr: 1:234/5.6\n' >"$work/expected"
same "the answer's addresses" "$work/expected" "$work/read"
crashmail_run SCAN
cat >"$work/expected" <<'EOF'
FROM Point User
TO Far Point
ORIGADDR 2:5020/1234.5
DESTADDR 1:234/5.6
ATTR 0x0001
SUBJECT Re: Hello from zone 1
TEXT
^ATOPT 6
^AFMPT 5
^AINTL 1:234/5 2:5020/1234
^AMSGID: 2:5020/1234.5 SERIAL
^AREPLY: 1:234/5.6 1a2b3c4d
Hello back.
--- Quorvel 2.00.84
END
EOF
exported >"$work/packed"
same "the answer crashmail packed" "$work/expected" "$work/packed"

# ---------------------------------------------------------------- 3. JAM netmail
prefs "NETMAIL \"NETMAIL\" 2:5020/1234.5 JAM \"$work/jam/netmail\""
jam=J$work/jam/netmail
[ "$(post "$jam" "Far Point" "From JAM" "Hello from JAM." --dest 1:234/5.6)" = 1 ] || fail "JAM post failed"
crashmail_run SCAN
cat >"$work/expected" <<'EOF'
FROM Point User
TO Far Point
ORIGADDR 2:5020/1234.5
DESTADDR 1:234/5.6
ATTR 0x0001
SUBJECT From JAM
TEXT
^AMSGID: 2:5020/1234.5 SERIAL
^AINTL 1:234/5 2:5020/1234
^AFMPT 5
^ATOPT 6
Hello from JAM.
--- Quorvel 2.00.84
END
EOF
exported >"$work/packed"
same "the JAM netmail crashmail packed" "$work/expected" "$work/packed"
# Sent added; netmail, private and local kept (crashmail's write-back garbles
# header bytes of 0x80 and more, which is why only the flags are looked at).
attribute=$(le32 "$work/jam/netmail.jhr" $((1024 + 52)))
(( (attribute & 0x02000015) == 0x02000015 )) || fail "the JAM letter is not netmail, private, local and sent: $attribute"
echo "crashmail routes our netmail"
