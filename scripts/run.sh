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
echo "The four programs are not built yet: this runs the application layer (hidden frame, timers,"
echo "registered messages, dialogs from templates) that they are built on."
scripts/wine-run.sh --gui --timeout 120 build/mingw/tests/common/app/app_test.exe
