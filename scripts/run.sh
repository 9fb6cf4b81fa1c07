#!/usr/bin/env bash
# Sets up the machine if needed, builds the Windows programs and runs the most complete part of the
# system that exists so far under Wine. It grows as the programs land.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
prefix=${ZT_DEPS_PREFIX:-/var/cache/ztlumbrel/mingw-deps}

bash scripts/setup.sh
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DZT_DEPS_PREFIX="$prefix" >/dev/null
cmake --build build/mingw -j"${ZT_JOBS:-2}"

echo "== built Windows binaries"
find build/mingw -maxdepth 3 \( -name '*.exe' -o -name '*.dll' \) -not -path '*/googletest/*' \
  -exec file {} \; | sed "s|$root/||"

export WINEPREFIX="$root/build/mingw/wineprefix"
echo "== running under Wine"
cat <<'TXT'
ZTLumbrel's frame, tray and device watch are not built yet, nor ZTChkScan and the service. What
exists runs here end to end as 32-bit Windows code under Wine:
  1. the overlay engine on real JPEG, TIFF and PDF scans through CvImgFileIO.dll: load, turn,
     halve, mask, compose, and the overlay, screenshot and scan copy written without overwriting;
  2. ZTChkSDWiFi.exe against a simulated wireless SD card on 127.0.0.1: it polls the listings,
     downloads each new scan once and delivers it to a registered client through the message channel.
TXT
ctest --test-dir build/mingw -R "^(cvimgfileio_samples|overlay_imgfile_test|sdwifi_e2e)$" --output-on-failure
