#!/usr/bin/env bash
# Letters in the character sets FidoNet carries today, tossed by crashmail
# into a JAM base and a *.MSG directory:
#  1. UTF-8 (Cyrillic, « », —, €, an emoji), KOI8-R, LATIN-1 and CP437
#     letters, each with its CHRS line, read as their text through
#     quorvel-tool: names, subjects and lines;
#  2. a reply to the UTF-8 letter posted by quorvel-tool is UTF-8 with a
#     "CHRS: UTF-8 4" line, and crashmail exports it with that line and its
#     bytes as they were (the dump decodes it strictly as UTF-8).
# crashmail copies texts and control lines as they are: it maps no sets.
set -euo pipefail
source "$(dirname "$0")/support/common.bash"
require crashmail

mkdir -p "$work"/{jam,msg/charsets,msg/bad}
{ crashmail_prefs "Point User"; cat <<EOF; } >"$work/crashmail.prefs"
IMPORTSEENBY
AKA 2:5020/1234
NODE 2:5020/100 "" ""
AREA "BAD" 2:5020/1234 MSG "$work/msg/bad"
AREA "CHARSETS.JAM" 2:5020/1234 JAM "$work/jam/charsets"
AREA "CHARSETS.MSG" 2:5020/1234 MSG "$work/msg/charsets"
EXPORT %2:5020/100
EOF
crashmail_run() {
  crashmail SETTINGS "$work/crashmail.prefs" "$@" NOSECURITY >"$work/crashmail.out" 2>&1 ||
    { cat "$work/crashmail.out" >&2; fail "crashmail $* failed"; }
}

# ---------------------------------------------------------------- 1. tossing
# letter AREA CHARSET CHRS FROM SUBJECT LINE: one letter of the packet.
letter() {
  cat <<EOF
FROM $4 2:5020/100
TO All 2:5020/1234
CHARSET $2
SUBJECT $5
DATE 01 Dec 24  09:00:00
TEXT
AREA:$1
^AMSGID: 2:5020/100 $(printf '%08x' $((RANDOM * 32768 + RANDOM)))
^ACHRS: $3
$6
--- TestWriter 1.0
 * Origin: Station One (2:5020/100)
SEEN-BY: 5020/100 1234
END
EOF
}
# The letters, as the fields NAME|SUBJECT|LINE, in packet order.
utf8='Сергей Волков|Ёлка «2026» — €|Привет — «мир»! 5 € 😀'
koi8='Пётр Сидоров|Ёжик|Ёжик в тумане, ЁЛКИ'
latin1='Jürgen Müller|Grüße|Grüße aus Köln, café £5 ¿'
cp437='Åsa Öberg|Café|Café ─ ½ ü'
{
  for area in CHARSETS.JAM CHARSETS.MSG; do
    IFS='|' read -r name subject line <<<"$utf8"; letter $area utf-8 'UTF-8 4' "$name" "$subject" "$line"
    IFS='|' read -r name subject line <<<"$koi8"; letter $area koi8-r 'KOI8-R 2' "$name" "$subject" "$line"
    IFS='|' read -r name subject line <<<"$latin1"; letter $area latin-1 'LATIN-1 2' "$name" "$subject" "$line"
    IFS='|' read -r name subject line <<<"$cp437"; letter $area cp437 'CP437 2' "$name" "$subject" "$line"
  done
} | fidopkt write "$work/in/00000001.pkt"
# The UTF-8 bytes are in the packet as they are.
grep -qF "$(printf 'Привет — «мир»! 5 € 😀')" "$work/in/00000001.pkt" || fail "the packet lost the UTF-8 bytes"
crashmail_run TOSS

for spec in "J$work/jam/charsets" "F$work/msg/charsets"; do
  tool list "$spec" | cut -f5,7 >"$work/list" || fail "quorvel-tool list $spec failed"
  for fields in "$utf8" "$koi8" "$latin1" "$cp437"; do
    IFS='|' read -r name subject line <<<"$fields"
    grep -Fqx "$name	$subject" "$work/list" || { cat "$work/list" >&2; fail "$spec does not list $name / $subject"; }
  done
  numbers=$(tool list "$spec" | cut -f1)
  for n in $numbers; do tool read --kludges "$spec" "$n"; done >"$work/read" || fail "quorvel-tool read $spec failed"
  for fields in "$utf8" "$koi8" "$latin1" "$cp437"; do
    IFS='|' read -r name subject line <<<"$fields"
    grep -Fqx "From: $name" "$work/read" || fail "$spec: no letter from $name"
    grep -Fqx "Subject: $subject" "$work/read" || fail "$spec: the subject $subject reads wrong"
    grep -Fqx "$line" "$work/read" || { cat "$work/read" >&2; fail "$spec: the line \"$line\" reads wrong"; }
  done
  for chrs in 'UTF-8 4' 'KOI8-R 2' 'LATIN-1 2' 'CP437 2'; do
    grep -Fqx "^ACHRS: $chrs" "$work/read" || fail "$spec: read --kludges does not show CHRS: $chrs"
  done
done

# ---------------------------------------------------------------- 2. a reply, exported
msg=F$work/msg/charsets
answered=$(tool list "$msg" | awk -F'\t' '$5 == "Сергей Волков" {print $1}')
[ -n "$answered" ] || fail "the UTF-8 letter is not in the *.MSG area"
reply_line='Ответ — «да»! 7 € 😀'
number=$(printf '%s\n' "$reply_line" |
  tool post "$msg" --from "Point User" --to "Сергей Волков" --subject "Re: Ёлка «2026» — €" --addr 2:5020/1234.5 \
    --reply "$answered") || fail "the reply was not posted"
tool read --kludges "$msg" "$number" >"$work/reply"
grep -Fqx '^ACHRS: UTF-8 4' "$work/reply" || { cat "$work/reply" >&2; fail "a reply to a UTF-8 letter is not UTF-8"; }
crashmail_run SCAN
ls "$work"/out/*.pkt >/dev/null 2>&1 || { cat "$work/crashmail.out" >&2; fail "crashmail exported nothing"; }
fidopkt dump "$work"/out/*.pkt >"$work/exported" || fail "the exported letter is not valid in the set its CHRS names"
grep -Fqx 'FROM Point User' "$work/exported" || fail "the reply was not exported"
grep -Fqx 'TO Сергей Волков' "$work/exported" || fail "the reply's recipient changed on export"
grep -Fqx 'SUBJECT Re: Ёлка «2026» — €' "$work/exported" || fail "the reply's subject changed on export"
grep -Fqx '^ACHRS: UTF-8 4' "$work/exported" || { cat "$work/exported" >&2; fail "the reply went out without its CHRS line"; }
grep -Fqx "$reply_line" "$work/exported" || { cat "$work/exported" >&2; fail "the reply's text changed on export"; }
echo "letters in every set tossed, read and answered"
