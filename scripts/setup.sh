#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, and cross-builds
# libjpeg-turbo, libtiff and qpdf for both Windows builds (i686, which ships, and x86_64, which
# runs the tests where 32-bit processes cannot) into cached prefixes.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deps_root=${ZT_DEPS_ROOT:-/var/cache/ztlumbrel}
export DEBIAN_FRONTEND=noninteractive

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake g++ make pkg-config file dpkg-dev ca-certificates
  libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 nasm
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb xauth xserver-xephyr
  libjpeg-dev libtiff-dev zlib1g-dev libqpdf-dev
  python3 imagemagick libtiff-tools img2pdf ghostscript qpdf poppler-utils locales
  clang libclang-rt-14-dev clang-format
  wixl msitools libxml2-utils
)

# The 32-bit Wine loader is only worth installing where the kernel runs 32-bit processes. Its X
# driver finds the X extensions' libraries of its own architecture at run time: without
# Xinerama it sees one display where the two-screen tests give it two.
if bash "$here/scripts/can-run-32bit.sh"; then
  packages+=(wine32:i386 libxinerama1:i386 libxrandr2:i386)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if [[ " ${missing[*]}" == *:i386* ]]; then
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -q
  as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Source packages come from the same suite as the binaries: add a deb-src entry once.
src_list=/etc/apt/sources.list.d/ztlumbrel-src.sources
if [ ! -f "$src_list" ]; then
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  as_root tee "$src_list" >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  as_root apt-get update -q
fi

# Wine takes the user's language and code page from the Unix locale: the language tests need these.
for loc in de_DE ja_JP fr_FR; do
  locale -a 2>/dev/null | grep -qi "^$loc.utf-\?8$" || as_root localedef -i "$loc" -f UTF-8 "$loc.UTF-8"
done

for arch in i686 x86_64; do
  "$here/scripts/build-mingw-deps.sh" "$arch" "$deps_root/mingw-deps-$arch"
done
