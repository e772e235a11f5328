# What the interoperability scripts share. Sourced, not run.
# A missing peer is a failure, never a skip: these tests exist to prove that
# the program works with the real programs.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# require PROGRAM...: each must be on PATH (or an absolute path that runs).
require() {
  local p
  for p in "$@"; do
    command -v "$p" >/dev/null 2>&1 || fail "$p is not installed (scripts/install-deps.sh test installs the peers)"
  done
}

[ -n "${QUORVEL_TOOL:-}" ] && [ -x "$QUORVEL_TOOL" ] || fail "QUORVEL_TOOL does not name the quorvel-tool program"
require python3

interop_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fidopkt() { python3 "$interop_dir/support/fidopkt.py" "$@"; }
tool() { "$QUORVEL_TOOL" "$@"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-interop-XXXXXX")
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT

# quorvel-tool posts with settings of the test's own, never the user's: templates
# that put nothing around the typed text (a reply quotes nothing), and a main
# address that the origin line names. A posted letter is the typed text, our
# tear line and our origin line.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Tressik"
cat >"$XDG_CONFIG_HOME/Tressik/Quorvel.ini" <<'INI'
[quorvel.INI]
User\Name=Point User
User\MainAddress=2:5020/1234.5
NewLetterTemplate\Line0=@@Position
QuoteReplyTemplate\Line0=@@Quote
INI
our_tear="--- Quorvel 2.00.84"
our_origin=" * Origin: Брать пять долларов за спасение жизни - чудовищно!   (2:5020/1234.5)"

# crashmail_prefs SYSOP: the part of a crashmail configuration the tests share,
# its files and directories inside $work (in, out, tmp); the caller adds its
# addresses, routes and areas.
crashmail_prefs() {
  mkdir -p "$work"/{in,out,tmp}
  cat <<EOF
SYSOP "$1"
LOGFILE "$work/crashmail.log"
LOGLEVEL 3
DUPEFILE "$work/dupes" 200
DUPEMODE IGNORE
DEFAULTZONE 2
INBOUND "$work/in"
OUTBOUND "$work/out"
TEMPDIR "$work/tmp"
CREATEPKTDIR "$work/tmp"
PACKETDIR "$work/out"
STATSFILE "$work/stats"
EOF
}

# same NAME EXPECTED-FILE ACTUAL-FILE: the two files are equal, or the test fails.
same() {
  diff -u "$2" "$3" >&2 || fail "$1 differs (expected first, then what came)"
}

# The 32-bit little-endian value at OFFSET of FILE, in decimal.
le32() {
  python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); print(struct.unpack_from("<I", d, int(sys.argv[2]))[0])' "$1" "$2"
}
