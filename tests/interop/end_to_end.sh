#!/usr/bin/env bash
# The whole road, then the peers: a fresh demo point is read and answered in
# every area through the windows (the EndToEndTest program, run offscreen over
# this point), then the real peers see what the program wrote:
#  - jamnntpd serves the JAM area's letters, the answer among them, intact;
#  - crashmail's scan exports the answer written into the *.MSG echo area.
# jamnntpd runs in a network namespace of its own, where only loopback exists.
set -euo pipefail
if [ -z "${QUORVEL_IN_NETNS:-}" ]; then
  command -v unshare >/dev/null || { echo "FAIL: unshare (util-linux) is missing" >&2; exit 1; }
  export QUORVEL_IN_NETNS=1
  if unshare -n true 2>/dev/null; then exec unshare -n bash "$0" "$@"; fi
  if unshare -rn true 2>/dev/null; then exec unshare -rn bash "$0" "$@"; fi
  echo "FAIL: cannot make a network namespace for jamnntpd (unshare -n)" >&2
  exit 1
fi
source "$(dirname "$0")/support/common.bash"
require crashmail
jamnntpd=$(command -v jamnntpd || echo /usr/sbin/jamnntpd)
[ -x "$jamnntpd" ] || fail "jamnntpd is not installed (scripts/install-deps.sh test installs jamnntpd:i386)"
program=${QUORVEL_UI_TESTS_DIR:-}/EndToEndTest
[ -x "$program" ] || fail "the window test program EndToEndTest was not built (QUORVEL_UI_TESTS_DIR)"
export TZ=UTC LC_ALL=C.UTF-8
nntp() { python3 "$interop_dir/support/nntp.py" "$@"; }

# ---------------------------------------------------------------- the user's road, through the windows
point=$work/point
tool demo "$point" >/dev/null || fail "the demo point could not be made"
QUORVEL_E2E_POINT=$point QT_QPA_PLATFORM=offscreen "$program" >"$work/windows.log" 2>&1 ||
  { cat "$work/windows.log" >&2; fail "the road through the windows failed"; }

# The answers the windows wrote, by area: the letter from the point's user.
answer_in() {
  tool list "$1" | cut -f1 | while read -r n; do
    if tool read "$1" "$n" | grep -Fqx 'Ответ из сквозной проверки.'; then echo "$n"; fi
  done | tail -1
}
jam=J$point/jam/ru.point.talk
msg=F$point/msg/local/
jam_answer=$(answer_in "$jam")
msg_answer=$(answer_in "$msg")
[ -n "$jam_answer" ] || fail "the JAM area holds no answer"
[ -n "$msg_answer" ] || fail "the *.MSG area holds no answer"

# ---------------------------------------------------------------- jamnntpd serves the JAM area
mkdir -p "$work/chs"
for chs in unicode/xlat/866_utf.chs xlat/koi_866.chs; do
  cp "/usr/share/jamnntpd/$chs" "$work/chs/" || fail "jamnntpd's character set $chs is missing"
done
group=RU.POINT.TALK
echo "$group A 2:5020/1234 $point/jam/ru.point.talk CP866" >"$work/groups"
echo "127.0.0.1 * *" >"$work/allow"
: >"$work/users"
printf '%s\n' "chsdir $work/chs" 'defaultread CP866' 'read CP866 utf-8 866_utf.chs' 'defaultpost koi8-r' \
  'post koi8-r CP866 koi_866.chs' >"$work/xlat"
port=5000
nntp lo-up || fail "cannot bring up loopback in the namespace"
"$jamnntpd" -p $port -groups "$work/groups" -allow "$work/allow" -users "$work/users" -xlat "$work/xlat" \
  -logfile "$work/jamnntpd.log" -noencode -noecholog &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
nntp wait $port || fail "jamnntpd did not start"

# Every letter of the area is served, with the subjects quorvel-tool lists.
nntp over $port $group | cut -f1 >"$work/served"
tool list "$jam" | cut -f1 >"$work/listed"
same "the letters jamnntpd serves" "$work/listed" "$work/served"
nntp article $port $group "$jam_answer" >"$work/answer" || fail "jamnntpd does not serve the answer"
msgid=$(tool read --kludges "$jam" "$jam_answer" | sed -n 's/^^AMSGID: //p')
reply=$(tool read --kludges "$jam" "$jam_answer" | sed -n 's/^^AREPLY: //p')
grep -Fqx "X-JAM-MSGID: $msgid" "$work/answer" || fail "the answer's MSGID is not served"
grep -Fqx "X-JAM-REPLYID: $reply" "$work/answer" || fail "the answer's REPLY is not served"
grep -Fqx 'Ответ из сквозной проверки.' "$work/answer" || fail "the typed text is not served"
grep -Fqx -- '--- Quorvel 2.00.84' "$work/answer" || fail "the tear line is not served"
grep -q '^ \* Origin: ' "$work/answer" || fail "the origin line is not served"
grep -q '^References: ' "$work/answer" || fail "the answer is not linked to the letter it answers"

# ---------------------------------------------------------------- crashmail exports the *.MSG answer
mkdir -p "$work"/{in,out,tmp,bad}
{ crashmail_prefs "Test Sysop"; cat <<EOF; } >"$work/crashmail.prefs"
NOROUTE
AKA 2:5020/1234.5
DOMAIN "FidoNet"
NODE 2:5020/1234 "" ""
AREA "BAD" 2:5020/1234.5 MSG "$work/bad"
AREA "MSG.LOCAL" 2:5020/1234.5 MSG "$point/msg/local"
EXPORT 2:5020/1234
EOF
crashmail SETTINGS "$work/crashmail.prefs" SCAN >"$work/crashmail.out" 2>&1 ||
  { cat "$work/crashmail.out" >&2; fail "crashmail SCAN failed"; }
ls "$work"/out/*.pkt >/dev/null 2>&1 || { cat "$work/crashmail.out" >&2; fail "crashmail exported nothing"; }
fidopkt dump "$work"/out/*.pkt >"$work/exported"
msgid=$(tool read --kludges "$msg" "$msg_answer" | sed -n 's/^^AMSGID: //p')
grep -Fqx "^AMSGID: $msgid" "$work/exported" || fail "the answer was not exported with its MSGID"
grep -Fqx 'Ответ из сквозной проверки.' "$work/exported" || fail "the typed text was not exported"
grep -Fqx 'AREA:MSG.LOCAL' "$work/exported" || fail "the answer went out without its area"
grep -q '^ \* Origin: ' "$work/exported" || fail "the origin line was not exported"
echo "the windows wrote what the peers read"
