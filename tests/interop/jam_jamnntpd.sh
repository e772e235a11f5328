#!/usr/bin/env bash
# jamnntpd, an NNTP server over JAM bases, and quorvel-tool on the same base:
#  1. a new letter and a reply written by quorvel-tool are served right: every
#     header, subfield and text line;
#  2. a letter posted through jamnntpd reads right with quorvel-tool;
#  3. a letter marked read by quorvel-tool is served as before, and one it
#     deleted is no longer served;
#  4. a UTF-8 reply written by quorvel-tool (its CHRS in a control-line
#     subfield) is served byte for byte.
# jamnntpd listens on every address and has no option against it, so the test
# runs in a network namespace of its own where only loopback exists; it starts
# the server and stops it by its process id. The i386 build is the right one:
# the amd64 build reads .jdx records as 16 bytes and serves every second letter.
set -euo pipefail
if [ -z "${QUORVEL_IN_NETNS:-}" ]; then
  command -v unshare >/dev/null || { echo "FAIL: unshare (util-linux) is missing" >&2; exit 1; }
  export QUORVEL_IN_NETNS=1
  # As root a network namespace is ours to make; elsewhere through a user namespace.
  if unshare -n true 2>/dev/null; then exec unshare -n bash "$0" "$@"; fi
  if unshare -rn true 2>/dev/null; then exec unshare -rn bash "$0" "$@"; fi
  echo "FAIL: cannot make a network namespace for jamnntpd (unshare -n)" >&2
  exit 1
fi
source "$(dirname "$0")/support/common.bash"
export TZ=UTC LC_ALL=C.UTF-8
jamnntpd=$(command -v jamnntpd || echo /usr/sbin/jamnntpd)
[ -x "$jamnntpd" ] || fail "jamnntpd is not installed (scripts/install-deps.sh test installs jamnntpd:i386)"
nntp() { python3 "$interop_dir/support/nntp.py" "$@"; }
port=5000
group=TEST.AREA
area=J$work/jam/testarea

# ---------------------------------------------------------------- the server's configuration
mkdir -p "$work"/{jam,chs}
for chs in unicode/xlat/866_utf.chs xlat/koi_866.chs; do
  cp "/usr/share/jamnntpd/$chs" "$work/chs/" || fail "jamnntpd's character set $chs is missing"
done
echo "$group A 2:5020/1234 $work/jam/testarea CP866" >"$work/groups"
echo "127.0.0.1 * *" >"$work/allow"
: >"$work/users"
cat >"$work/xlat" <<EOF
chsdir $work/chs
defaultread CP866
read CP866 utf-8 866_utf.chs
read UTF-8 utf-8
defaultpost koi8-r
post koi8-r CP866 koi_866.chs
EOF

# ---------------------------------------------------------------- 1. our letters, served
printf '%s\n' 'Привет всем!' 'Вторая строка: ёлки.' |
  tool post "$area" --from "Иван Петров" --to Всем --subject Новости --addr 2:5020/1234.5 >/dev/null || fail "post failed"
long="This line is longer than a newsreader's screen: $(printf 'word%.0s ' $(seq 1 30))end."
printf '%s\n' 'Answer line' "$long" |
  tool post "$area" --from "Point User" --to "Иван Петров" --subject "Re: Новости" --addr 2:5020/1234.5 --reply 1 \
    >/dev/null || fail "post of the reply failed"
msgid() { tool read --kludges "$area" "$1" | sed -n 's/^^AMSGID: //p'; }
# Saving wraps the long line at 79 characters, as the editor does: these are the lines stored.
wrapped=$(tool read "$area" 2 | sed -n '/^Answer line$/,/^--- /p' | sed '1d;$d')
[ "$(printf '%s\n' "$wrapped" | wc -l)" -ge 2 ] || fail "the long line was not wrapped when saved"
[ "$(printf '%s\n' "$wrapped" | tr '\n' ' ' | sed 's/ $//')" = "$long" ] || fail "the long line lost words when saved"
# The date as a newsreader sees it, from the date quorvel-tool lists.
nntp_date() {
  date -d "$(tool list "$area" | awk -F'\t' -v n="$1" '$1 == n { print $4 }')" '+%a, %-d %b %Y %H:%M:00 GMT'
}
msgid1=$(msgid 1) msgid2=$(msgid 2) date1=$(nntp_date 1) date2=$(nntp_date 2)

nntp lo-up || fail "cannot bring up loopback in the namespace"
"$jamnntpd" -p $port -groups "$work/groups" -allow "$work/allow" -users "$work/users" -xlat "$work/xlat" \
  -logfile "$work/jamnntpd.log" -noencode -noecholog &
server=$!
stop_server() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}
trap 'stop_server; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
nntp wait $port || fail "jamnntpd did not start"

nntp article $port $group 1 >"$work/got" || fail "jamnntpd does not serve letter 1"
cat >"$work/expected" <<EOF
Path: JamNNTPd!not-for-mail
From: "Иван Петров -> Всем" <5@1234.5020.2>
X-Comment-To: Всем
Newsgroups: $group
Subject: Новости
Date: $date1
Message-ID: <1\$$group@JamNNTPd>
X-JAM-From: Иван Петров <2:5020/1234.5>
X-JAM-To: Всем
X-JAM-MSGID: $msgid1
X-JAM-FTSKLUDGE: CHRS: CP866 2
X-JAM-Attributes: Local TypeEcho
MIME-Version: 1.0
Content-Type: text/plain; charset=utf-8; format=flowed
Content-Transfer-Encoding: 8bit

Привет всем!
Вторая строка: ёлки.
$our_tear
$our_origin
EOF
same "letter 1 as jamnntpd serves it" "$work/expected" "$work/got"

nntp article $port $group 2 >"$work/got" || fail "jamnntpd does not serve letter 2"
cat >"$work/expected" <<EOF
Path: JamNNTPd!not-for-mail
From: "Point User -> Иван Петров" <5@1234.5020.2>
X-Comment-To: Иван Петров
Newsgroups: $group
Subject: Re: Новости
Date: $date2
Message-ID: <2\$$group@JamNNTPd>
References: <1\$$group@JamNNTPd>
X-JAM-From: Point User <2:5020/1234.5>
X-JAM-To: Иван Петров
X-JAM-MSGID: $msgid2
X-JAM-REPLYID: $msgid1
X-JAM-FTSKLUDGE: CHRS: CP866 2
X-JAM-Attributes: Local TypeEcho
MIME-Version: 1.0
Content-Type: text/plain; charset=utf-8; format=flowed
Content-Transfer-Encoding: 8bit

Answer line
$wrapped
$our_tear
$our_origin
EOF
same "letter 2 as jamnntpd serves it" "$work/expected" "$work/got"

# ---------------------------------------------------------------- 2. a letter posted through jamnntpd
nntp post $port <<EOF || fail "jamnntpd refused the post"
From: Net User <net@example.com>
Newsgroups: $group
Subject: Re: Новости
References: <2\$$group@JamNNTPd>
Content-Type: text/plain; charset=koi8-r
User-Agent: TestReader 1.0
Organization: Test Org

Ответ через NNTP.
Строка два.
EOF
nntp article $port $group 3 >"$work/served3" || fail "jamnntpd does not serve the posted letter"
header() { sed -n "s/^$1: //p" "$work/served3" | head -1; }
msgid3=$(header X-JAM-MSGID)
date3=$(date -d "$(header Date)" '+%Y-%m-%d %H:%M')
[ -n "$msgid3" ] || fail "the posted letter has no MSGID"
tool list "$area" | sed -n 3p >"$work/got"
printf '3\t2\tU\t%s\tNet User\tPoint User\tНовости\n' "$date3" >"$work/expected"
same "the posted letter in the list" "$work/expected" "$work/got"
tool read --kludges "$area" 3 >"$work/got" || fail "quorvel-tool cannot read the posted letter"
cat >"$work/expected" <<EOF
From: Net User
To: Point User
Subject: Новости
Date: $date3
OrigAddr: 2:5020/1234
DestAddr: 0:0/0

^AMSGID: $msgid3
^AREPLY: $msgid2
^AREPLYADDR net@example.com
^APID: JamNNTPd/Linux 1
^ACHRS: CP866 2
^ATZUTC: 0000
Ответ через NNTP.
Строка два.

--- TestReader 1.0
 * Origin: Test Org (2:5020/1234)
EOF
same "the letter posted through jamnntpd" "$work/expected" "$work/got"

# ---------------------------------------------------------------- 3. marked read, deleted
tool mark-read "$area" 3 || fail "mark-read failed"
tool list "$area" | sed -n 3p | cut -f3 | grep -Fqx R || fail "letter 3 is not marked read"
nntp article $port $group 3 >"$work/got" || fail "jamnntpd no longer serves the letter marked read"
same "the letter marked read, as jamnntpd serves it" "$work/served3" "$work/got"

tool delete "$area" 1 || fail "delete failed"
if nntp article $port $group 1 >"$work/got"; then fail "jamnntpd still serves the deleted letter"; fi
grep -Eq '^(423|503) ' "$work/got" || fail "jamnntpd answered $(cat "$work/got") for the deleted letter"
nntp over $port $group >"$work/got"
printf '2\tRe: Новости\n3\tНовости\n' >"$work/expected"
same "the letters jamnntpd lists after the deletion" "$work/expected" "$work/got"

# ---------------------------------------------------------------- 4. a UTF-8 reply
utf8_line='Ответ — «да»! 5 € 😀'
number=$(printf '%s\n' "$utf8_line" |
  tool post "$area" --from "Point User" --to "Иван Петров" --subject "Re: Новости" --addr 2:5020/1234.5 --reply 2) ||
  fail "post of the UTF-8 reply failed"
nntp article $port $group "$number" >"$work/got" || fail "jamnntpd does not serve the UTF-8 reply"
grep -Fqx 'X-JAM-FTSKLUDGE: CHRS: UTF-8 4' "$work/got" || { cat "$work/got" >&2; fail "the reply is served without its CHRS"; }
grep -Fqx "$utf8_line" "$work/got" || { cat "$work/got" >&2; fail "the UTF-8 reply is not served as it was written"; }

stop_server
echo "jamnntpd and quorvel-tool agree"
