#!/usr/bin/env bash
# The installed program works: the Debian package is built (scripts/package.sh),
# unpacked into a scratch root as dpkg would install it, and what it holds is
# run from there: quorvel-tool makes and lists a demo point, the program
# (offscreen) scans it until its title shows the unread count, the menu
# entry's launcher makes the user's demo point on first use and starts the
# program on it, the bash completion completes. Then the tools Debian checks
# packages with have their say: desktop-file-validate, appstreamcli, man
# (groff -ww) and lintian (no errors; its warnings are shown).
#   tests/packaging/installed_package.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

deb=$("$here/scripts/package.sh" "$@" | tail -1)
[ -f "$deb" ] || fail "scripts/package.sh made no package"
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-package-XXXXXX")
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"
# Nothing of the user's own, and nothing found by being in the source tree.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$HOME"
cd "$work"
tool=$root/usr/bin/quorvel-tool

# ---------------------------------------------------------------- what the package holds
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >files
sort >expected <<'EOF'
./usr/bin/quorvel
./usr/bin/quorvel-tool
./usr/libexec/quorvel/quorvel-start
./usr/share/applications/quorvel.desktop
./usr/share/bash-completion/completions/quorvel-tool
./usr/share/doc/quorvel/changelog.gz
./usr/share/doc/quorvel/copyright
./usr/share/icons/hicolor/128x128/apps/quorvel.png
./usr/share/icons/hicolor/16x16/apps/quorvel.png
./usr/share/icons/hicolor/22x22/apps/quorvel.png
./usr/share/icons/hicolor/24x24/apps/quorvel.png
./usr/share/icons/hicolor/256x256/apps/quorvel.png
./usr/share/icons/hicolor/32x32/apps/quorvel.png
./usr/share/icons/hicolor/48x48/apps/quorvel.png
./usr/share/icons/hicolor/64x64/apps/quorvel.png
./usr/share/icons/hicolor/scalable/apps/quorvel.svg
./usr/share/man/man1/quorvel-tool.1.gz
./usr/share/man/man1/quorvel.1.gz
./usr/share/metainfo/org.example.quorvel.metainfo.xml
EOF
diff -u expected files >&2 || fail "the package holds other files than these"
if grep -rlF "$here/" "$root" >&2; then fail "the files above name the source tree"; fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quorvel ] || fail "the package is named $(field Package)"
[ "$(field Section)" = mail ] || fail "the package's section is $(field Section)"
field Depends | grep -q 'libqt6widgets6' || fail "the dependencies were not computed: $(field Depends)"
field Depends | grep -q 'libarchive' || fail "libarchive (packed nodelists) is not a dependency: $(field Depends)"
field Description | grep -q 'ФидоНет' || fail "the description has no Russian part"

# PNG: the width and height stand at bytes 16 to 23, big-endian.
for png in "$root"/usr/share/icons/hicolor/*/apps/quorvel.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  drawn=$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }')
  [ "$drawn" = "$size" ] || fail "the $size icon is $drawn"
done

# ---------------------------------------------------------------- the programs, from the unpacked root
"$tool" demo "$work/point" >args || fail "quorvel-tool demo failed"
IFS=$'\t' read -r flag areas hudson <args
"$tool" list "J$work/point/jam/ru.point.talk" >listed || fail "quorvel-tool list failed"
[ "$(wc -l <listed)" -gt 0 ] || fail "quorvel-tool lists no letter in the demo's JAM area"
total() { "$tool" scan "$1" "$2" | awk -F'\t' '$1 == "TOTAL" { print $2 }'; }
unread=$(total "$areas" "$hudson")
[ "${unread:-0}" -gt 0 ] || fail "the demo point has no unread letter to show"

# The program runs until its first scan has finished and prints its title.
shown_by() {
  QT_QPA_PLATFORM=offscreen QUORVEL_EXIT_AFTER_FIRST_SCAN=1 timeout 60 "$@" 2>program.err ||
    { cat program.err >&2; fail "$* did not end well"; }
}
title=$(shown_by "$root/usr/bin/quorvel" "$flag" "$areas" "$hudson")
[ "$title" = "Quorvel: $unread" ] || fail "the areas window's title is \"$title\", not \"Quorvel: $unread\""

# The tear line names the version the package carries.
posted=$(echo 'Проверка пакета.' |
  "$tool" post "J$work/point/jam/ru.point.talk" --from Tester --to All --subject Test --addr 2:5020/1234.5)
"$tool" read "J$work/point/jam/ru.point.talk" "$posted" | grep -qx -- "--- Quorvel $(field Version)" ||
  fail "letters are written with another version than the package's $(field Version)"

# The menu entry's launcher: the demo point in the data directory, made on
# first use, then the program on it.
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/quorvel.desktop")
[ -x "$root$exec_line" ] || fail "the menu entry runs $exec_line, which the package does not hold"
title=$(shown_by "$root$exec_line")
demo=$XDG_DATA_HOME/quorvel/demo
[ -f "$demo/areas.bbs" ] || fail "the launcher made no demo point in $demo"
[ "$title" = "Quorvel: $(total "$demo/areas.bbs" "$demo/hudson/")" ] || fail "the launcher's program shows \"$title\""

# ---------------------------------------------------------------- bash completion
completes() {
  local expected=$1
  shift
  got=$(bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _quorvel_tool
                 printf "%s " "${COMPREPLY[@]}"' - "$root/usr/share/bash-completion/completions/quorvel-tool" "$@")
  [ "$got" = "$expected" ] || fail "completing \"$*\" gives \"$got\", not \"$expected\""
}
completes "mark-read mark-all-read " quorvel-tool ma
completes "--reply --dest --netmail --charset --flag --wait " quorvel-tool post J/x --from A --to B --subject C --addr 1:2/3 --
completes "--wait " quorvel-tool mark-read J/x 3 --flag /tmp/toss.flag ""
completes "unreads tree list " quorvel-tool tree J/x --view ""
completes "UTF-8 " quorvel-tool post J/x --charset U
completes "J$work/point/jam/ru.point.talk " quorvel-tool list "J$work/point/jam/ru.po"
completes "$(cut -f1 listed | tr '\n' ' ')$posted " "$tool" read "J$work/point/jam/ru.point.talk" ""

# ---------------------------------------------------------------- Debian's checks
desktop-file-validate "$root/usr/share/applications/quorvel.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
# The metainfo, the menu entry it names and the icon, together.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" >/dev/null 2>man.err
  zcat "$page" | groff -ww -k -man -Tutf8 -z 2>>man.err
  [ ! -s man.err ] || { cat man.err >&2; fail "$(basename "$page") does not render cleanly"; }
done
lintian --fail-on error --display-level '>=warning' "$deb" 2>lintian.err | tee lintian.out ||
  { cat lintian.err >&2; fail "lintian finds errors in the package"; }
echo "the installed package works ($(grep -c '^W: ' lintian.out || true) lintian warnings)"
