#!/usr/bin/env bash
# Sets up a Debian 12 machine if needed, builds both configurations and runs every test:
# native unit tests (under AddressSanitizer/UBSan) and the Windows tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${ZT_JOBS:-2}
prefix=${ZT_DEPS_PREFIX:-/var/cache/ztlumbrel/mingw-deps}
werror=ON

bash scripts/setup.sh

echo "== native build"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_SANITIZE=ON -DZT_WERROR=$werror >/dev/null
cmake --build build/native -j"$jobs"
echo "== mingw build"
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DZT_DEPS_PREFIX="$prefix" -DZT_WERROR=$werror >/dev/null
cmake --build build/mingw -j"$jobs"

status=0
echo "== native tests"
ctest --test-dir build/native --output-on-failure -j"$jobs" 2>&1 | tee build/native-ctest.log || status=1
echo "== Windows tests under Wine"
ctest --test-dir build/mingw --output-on-failure 2>&1 | tee build/mingw-ctest.log || status=1

# One closing line for both runs.
summary() { grep -Eo '[0-9]+ tests failed out of [0-9]+' "$1" | tail -n 1; }
read -r nf _ _ _ _ nt < <(summary build/native-ctest.log || echo "0 x x x x 0")
read -r wf _ _ _ _ wt < <(summary build/mingw-ctest.log || echo "0 x x x x 0")
failed=$((nf + wf)); total=$((nt + wt))
[ "$total" -gt 0 ] || status=1
echo "tests: $((total - failed)) passed, $failed failed"
exit $status
