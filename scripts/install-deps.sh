#!/usr/bin/env bash
# Installs the Debian packages Quorvel needs to build, test and run, unless
# they are already there. Runs as root or through sudo.
#   scripts/install-deps.sh build     compiler, CMake, Qt
#   scripts/install-deps.sh package   the above, and what cpack needs for the Debian package
#   scripts/install-deps.sh test      all the above, GoogleTest, the peer tossers, fonts,
#                                     and the tools that check the package
set -euo pipefail

what=${1:-build}

packages=(cmake g++ make qt6-base-dev fonts-dejavu-core)
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
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ ${#i386_packages[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
# --no-install-recommends keeps apt from swapping crashmail to i386 along with jamnntpd.
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
