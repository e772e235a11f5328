#!/usr/bin/env bash
# Installs the Debian packages Quorvel needs to build, test and run, unless
# they are already there. Runs as root or through sudo.
#   scripts/install-deps.sh build     compiler, CMake, Qt and its Russian translation, fonts
#   scripts/install-deps.sh package   the above, and what cpack needs for the Debian package
#   scripts/install-deps.sh test      all the above, GoogleTest, the peer tossers, Xvfb,
#                                     and the tools that check the package
set -euo pipefail

what=${1:-build}

# qt6-translations-l10n: Qt's own buttons and menus in Russian, as the rest of the program.
# libarchive-dev: packed nodelists are read through libarchive.
packages=(cmake g++ make qt6-base-dev qt6-translations-l10n fonts-dejavu-core libarchive-dev)
i386_packages=()
if [ "$what" = package ] || [ "$what" = test ]; then
  # dpkg-shlibdeps and dpkg-buildflags; cpack finds the programs with file.
  packages+=(dpkg-dev file)
fi
if [ "$what" = test ]; then
  packages+=(libgtest-dev crashmail python3 util-linux xvfb xauth)
  packages+=(desktop-file-utils appstream lintian groff man-db)
  # The 64-bit build of jamnntpd misreads the JAM index; the i386 one is right.
  i386_packages+=(jamnntpd:i386)
fi

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi

missing=()
for p in "${packages[@]}" "${i386_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "All there."
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ ${#i386_packages[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
echo "Updating the package lists..."
"${sudo[@]}" apt-get update -qq
# --no-install-recommends keeps apt from swapping crashmail to i386 along with jamnntpd.
# One line per package fetched, unpacked and set up: the progress of a long install.
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
