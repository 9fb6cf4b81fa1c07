#!/usr/bin/env bash
# The speed of a whole scan, in one command: builds the engine bench natively (Release) and in the
# Windows build this machine runs under Wine (i686 where 32-bit processes run, x86_64 otherwise),
# runs both, and prints each against its own codec floor, with one thread and with the engine's
# workers, then the Windows codec floor against the native one.
#   bash scripts/bench.sh [--once] [threads]     (threads: default the engine's own count)
# --once: one run of each case instead of the best of seven, the short pass test.sh makes so that
# the command keeps working; its times are too rough to compare.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/windows-builds.sh
if [ "${1:-}" = --once ]; then
  export ZT_BENCH_RUNS=1
  shift
fi
threads=${1:-}
scratch=$(mktemp -d /tmp/zt-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

bash scripts/setup.sh
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release \
  -DZT_COMPONENTS="cvimgfileio;overlay/imgfile;overlay/engine" >/dev/null
cmake --build build/bench -j"${ZT_JOBS:-2}" --target overlay_engine_bench
wine_build=$(zt_wine_build 2>/dev/null)
# The bench and the image library, which its build lays beside it.
zt_build_windows "$wine_build" overlay_engine_bench CvImgFileIO >/dev/null

echo "== native Linux, x86_64"
build/bench/overlay/engine/overlay_engine_bench "$scratch" $threads | tee "$scratch/native.txt"
echo
echo "== Windows, $wine_build build under Wine"
WINEPREFIX="$root/build/mingw-$wine_build/wineprefix" bash scripts/wine-run.sh --timeout 900 \
  "build/mingw-$wine_build/overlay/engine/overlay_engine_bench.exe" "Z:${scratch//\//\\}" $threads |
  tr -d '\r' | tee "$scratch/windows.txt"

# The floor column of each case, Windows against native; then without the first touch of the
# loaded scan's fresh block, which the Windows heap takes from the system for every load and the
# C library here reuses (both measured in the runs above).
echo
echo "== the Windows build's codec floor against the native one"
floor() { awk -v c="$2" 'index($0, c) == 1 { print $(NF - 8) }' "$1" | head -n 1; }
touch_ms() { grep -o 'allocates it: [0-9.]* ms' "$1" | head -n 1 | awk '{ print $3 }'; }
nt=$(touch_ms "$scratch/native.txt"); wt=$(touch_ms "$scratch/windows.txt")
for c in "JPEG, PC size" "JPEG, board size" "PDF, PC size" "PDF, board size"; do
  n=$(floor "$scratch/native.txt" "$c"); w=$(floor "$scratch/windows.txt" "$c")
  awk -v c="$c" -v n="$n" -v w="$w" -v nt="$nt" -v wt="$wt" 'BEGIN {
    printf "%-18s native %6.1f ms  Windows %6.1f ms  %5.2fx;  less the first touch: %6.1f / %6.1f ms  %5.2fx\n",
      c, n, w, w / n, n - nt, w - wt, (w - wt) / (n - nt) }'
done
echo "(first touch of the loaded scan's block: native $nt ms, Windows $wt ms)"
