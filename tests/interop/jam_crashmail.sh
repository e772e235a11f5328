#!/usr/bin/env bash
# crashmail, a JAM tosser, and quorvel-tool on the same JAM bases:
#  1. a packet of echomail (plain, CP866 Cyrillic, a MSGID/REPLY pair, a letter
#     over 20 KB, SEEN-BY and PATH) tossed by crashmail reads right, field by
#     field and line by line;
#  2. a letter marked read and one deleted by quorvel-tool stay so when
#     crashmail tosses more letters into the base;
#  3. of the letters quorvel-tool writes, crashmail exports the live one and
#     not the deleted one, and marks it Sent without losing the read mark.
# crashmail on amd64 cannot read JAM back reliably (it decodes integers through
# signed char), so it is only asked to read where every offset and length it
# needs is below 0x80: the base of step 3 holds two short letters.
set -euo pipefail
source "$(dirname "$0")/support/common.bash"
require crashmail

mkdir -p "$work"/{in,out,tmp,jam}
{ crashmail_prefs "Point User"; cat <<EOF; } >"$work/crashmail.prefs"
IMPORTSEENBY
AKA 2:5020/1234
NODE 2:5020/100 "" ""
AREA "BAD" 2:5020/1234 JAM "$work/jam/bad"
AREA "TEST.AREA" 2:5020/1234 JAM "$work/jam/testarea"
EXPORT %2:5020/100
AREA "POINT.OUT" 2:5020/1234 JAM "$work/jam/pointout"
EXPORT %2:5020/100
EOF
crashmail_run() {
  crashmail SETTINGS "$work/crashmail.prefs" "$@" NOSECURITY >"$work/crashmail.out" 2>&1 ||
    { cat "$work/crashmail.out" >&2; fail "crashmail $* failed"; }
}
area=J$work/jam/testarea

# ---------------------------------------------------------------- 1. tossing
long_line() { echo "Line $1 of 400: The quick brown fox jumps over the lazy dog. 0123456789"; }
{
  cat <<'EOF'
FROM John Smith 2:5020/100
TO All 2:5020/1234
SUBJECT Plain letter
DATE 01 Dec 24  09:00:00
TEXT
AREA:TEST.AREA
^AMSGID: 2:5020/100 6a100001
^APID: TestWriter 1.0
Hello All,

this is a plain letter.
--- TestWriter 1.0
 * Origin: Station One (2:5020/100)
SEEN-BY: 5020/100 1234
^APATH: 5020/100
END
FROM Иван Петров 2:5020/200
TO Всем 2:5020/1234
SUBJECT Привет из Москвы
DATE 01 Dec 24  10:30:00
TEXT
AREA:TEST.AREA
^AMSGID: 2:5020/200 6a200001
^ACHRS: CP866 2
Привет всем!
Ёлки, ёжики и псевдографика: ║ ╬ ░
--- TestWriter 1.0
 * Origin: Москва (2:5020/200)
SEEN-BY: 5020/200 1234
^APATH: 5020/200
END
FROM Ivan Petrov 2:5020/200
TO John Smith 2:5020/1234
SUBJECT Re: Plain letter
DATE 01 Dec 24  11:15:00
TEXT
AREA:TEST.AREA
^AMSGID: 2:5020/200 6a200002
^AREPLY: 2:5020/100 6a100001
 JS> this is a plain letter.

An answer.
--- TestWriter 1.0
 * Origin: Station Two (2:5020/200)
SEEN-BY: 5020/200 1234
^APATH: 5020/200
END
FROM Long Writer 2:5020/100
TO All 2:5020/1234
SUBJECT A long letter
DATE 02 Dec 24  08:00:00
TEXT
AREA:TEST.AREA
^AMSGID: 2:5020/100 6a100002
EOF
  for i in $(seq -w 1 400); do long_line "$i"; done
  printf '%s\n' '--- TestWriter 1.0' ' * Origin: Station One (2:5020/100)' 'SEEN-BY: 5020/100 1234' '^APATH: 5020/100' END
} | fidopkt write "$work/in/00000001.pkt"
[ "$(stat -c %s "$work/in/00000001.pkt")" -gt 20480 ] || fail "the packet should hold a letter over 20 KB"
crashmail_run TOSS
[ -e "$work/jam/testarea.jhr" ] || fail "crashmail wrote no JAM base (see $work/crashmail.out)"

tool list "$area" >"$work/list" || fail "quorvel-tool list failed"
cat >"$work/expected" <<'EOF'
1	0	U	2024-12-01 09:00	John Smith	All	Plain letter
2	0	U	2024-12-01 10:30	Иван Петров	Всем	Привет из Москвы
3	0	U	2024-12-01 11:15	Ivan Petrov	John Smith	Plain letter
4	0	U	2024-12-02 08:00	Long Writer	All	A long letter
EOF
same "the list of tossed letters" "$work/expected" "$work/list"

# crashmail adds the node it exports to and itself to SEEN-BY, itself to PATH.
cat >"$work/expected" <<'EOF'
From: John Smith
To: All
Subject: Plain letter
Date: 2024-12-01 09:00
OrigAddr: 2:5020/100
DestAddr: 0:0/0

^AMSGID: 2:5020/100 6a100001
^APID: TestWriter 1.0
^ASEEN-BY: 5020/100 1234
^APATH: 5020/100 1234
Hello All,

this is a plain letter.
--- TestWriter 1.0
 * Origin: Station One (2:5020/100)
From: Иван Петров
To: Всем
Subject: Привет из Москвы
Date: 2024-12-01 10:30
OrigAddr: 2:5020/200
DestAddr: 0:0/0

^AMSGID: 2:5020/200 6a200001
^ACHRS: CP866 2
^ASEEN-BY: 5020/100 200 1234
^APATH: 5020/200 1234
Привет всем!
Ёлки, ёжики и псевдографика: | + #
--- TestWriter 1.0
 * Origin: Москва (2:5020/200)
From: Ivan Petrov
To: John Smith
Subject: Plain letter
Date: 2024-12-01 11:15
OrigAddr: 2:5020/200
DestAddr: 0:0/0

^AMSGID: 2:5020/200 6a200002
^AREPLY: 2:5020/100 6a100001
^ASEEN-BY: 5020/100 200 1234
^APATH: 5020/200 1234
 JS> this is a plain letter.

An answer.
--- TestWriter 1.0
 * Origin: Station Two (2:5020/200)
From: Long Writer
To: All
Subject: A long letter
Date: 2024-12-02 08:00
OrigAddr: 2:5020/100
DestAddr: 0:0/0

^AMSGID: 2:5020/100 6a100002
^ASEEN-BY: 5020/100 1234
^APATH: 5020/100 1234
EOF
for i in $(seq -w 1 400); do long_line "$i"; done >>"$work/expected"
printf '%s\n' '--- TestWriter 1.0' ' * Origin: Station One (2:5020/100)' >>"$work/expected"
for n in 1 2 3 4; do tool read --kludges "$area" "$n"; done >"$work/read" || fail "quorvel-tool read failed"
same "the tossed letters" "$work/expected" "$work/read"

# ---------------------------------------------------------------- 2. our marks under crashmail
tool mark-read "$area" 2 || fail "mark-read failed"
tool delete "$area" 3 || fail "delete failed"
fidopkt write "$work/in/00000002.pkt" <<'EOF'
FROM John Smith 2:5020/100
TO Иван Петров 2:5020/1234
SUBJECT Re: Привет из Москвы
DATE 03 Dec 24  12:00:00
TEXT
AREA:TEST.AREA
^AMSGID: 2:5020/100 6a100003
^AREPLY: 2:5020/200 6a200001
Later letter.
--- TestWriter 1.0
 * Origin: Station One (2:5020/100)
SEEN-BY: 5020/100 1234
^APATH: 5020/100
END
EOF
crashmail_run TOSS
tool list "$area" | cut -f1-6 >"$work/list"
cat >"$work/expected" <<'EOF'
1	0	U	2024-12-01 09:00	John Smith	All
2	0	R	2024-12-01 10:30	Иван Петров	Всем
4	0	U	2024-12-02 08:00	Long Writer	All
5	0	U	2024-12-03 12:00	John Smith	Иван Петров
EOF
same "the list after our marks and crashmail's second toss" "$work/expected" "$work/list"
[ "$(le32 "$work/jam/testarea.jhr" 12)" = 4 ] || fail "ActiveMsgs should count 4 letters"
tool read "$area" 5 | tail -3 | head -1 | grep -Fqx 'Later letter.' || fail "letter 5 reads wrong"

# ---------------------------------------------------------------- 3. crashmail exports our letters
point=J$work/jam/pointout
# crashmail misreads header integers with a byte of 0x80 or more, so the
# letters it exports stay shorter than 128 bytes of text.
printf '%s\n' 'Hello from the point.' |
  tool post "$point" --from "Point User" --to All --subject Hi --addr 2:5020/1234 >/dev/null || fail "post failed"
printf '%s\n' 'This one is deleted.' |
  tool post "$point" --from "Point User" --to All --subject Gone --addr 2:5020/1234 >/dev/null || fail "post failed"
tool delete "$point" 2 || fail "delete failed"
msgid=$(tool read --kludges "$point" 1 | sed -n 's/^^AMSGID: //p')
[ -n "$msgid" ] || fail "our letter has no MSGID"
crashmail_run SCAN
ls "$work"/out/*.pkt >/dev/null 2>&1 || fail "crashmail exported nothing"
fidopkt dump "$work"/out/*.pkt >"$work/exported"
grep -Fqx "^AMSGID: $msgid" "$work/exported" || fail "our letter was not exported"
grep -Fqx 'Hello from the point.' "$work/exported" || fail "our letter's text was not exported"
grep -Fqx 'AREA:POINT.OUT' "$work/exported" || fail "our letter went out without its area"
if grep -q 'This one is deleted' "$work/exported"; then fail "the deleted letter was exported"; fi
header=$(le32 "$work/jam/pointout.jdx" 4)
attribute=$(le32 "$work/jam/pointout.jhr" $((header + 52)))
(( attribute & 0x10 )) || fail "crashmail did not mark our letter Sent"
(( attribute & 0x10000000 )) || fail "crashmail dropped our read mark"
tool list "$point" | cut -f1-3 | grep -Fqx "1	0	R" || fail "our letter should still read as read"
echo "crashmail and quorvel-tool agree"
