#!/usr/bin/env bash
# Sets up a Debian 12 machine if needed, builds all three configurations (native, and the i686
# and x86_64 Windows builds, warnings as errors, as run.sh builds them) and runs every test: native unit tests under
# AddressSanitizer/UBSan, a short pass of every fuzz target, the Windows tests under Wine on
# the i686 build where this machine runs 32-bit processes, on the x86_64 build otherwise, and one
# run of the engine bench (scripts/bench.sh --once: that it runs, not how fast). First it checks
# the tree's own rules (scripts/check_tree.py: the engine's layers and clang-format), listing any
# file that breaks one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${ZT_JOBS:-2}
. scripts/windows-builds.sh

started=$SECONDS
zt_step "set-up" bash scripts/setup.sh
status=0
tree=held
zt_step "the tree's rules: layers and formatting" python3 scripts/check_tree.py || { status=1; tree=BROKEN; }

native_build() {
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_SANITIZE=ON -DZT_WERROR=ON >/dev/null &&
    cmake --build build/native -j"$jobs"
}
zt_step "native build" native_build
zt_step "Windows build, i686" zt_build_windows i686
zt_step "Windows build, x86_64" zt_build_windows x86_64
wine_build=$(zt_wine_build 2>build/wine-build-reason.txt)
reason=$(cat build/wine-build-reason.txt)

native_tests() { ctest --test-dir build/native --output-on-failure -j"$jobs" 2>&1 | tee build/native-ctest.log; }
fuzz_pass() { bash scripts/fuzz.sh --seconds 5 2>&1 | tee build/fuzz.log; }
wine_tests() { ctest --test-dir "build/mingw-$wine_build" --output-on-failure 2>&1 | tee build/wine-ctest.log; }
zt_step "native tests" native_tests || status=1
zt_step "fuzzing, a short pass" fuzz_pass || status=1
zt_step "Windows tests under Wine, $wine_build build ($reason)" wine_tests || status=1
bench_pass() { bash scripts/bench.sh --once 2>&1 | tee build/bench.log; }
bench=ran
zt_step "the bench, one run of each case" bench_pass || { status=1; bench=FAILED; }

# One closing line for both runs.
summary() { grep -Eo '[0-9]+ tests failed out of [0-9]+' "$1" | tail -n 1; }
read -r nf _ _ _ _ nt < <(summary build/native-ctest.log || echo "0 x x x x 0")
read -r wf _ _ _ _ wt < <(summary build/wine-ctest.log || echo "0 x x x x 0")
failed=$((nf + wf)); total=$((nt + wt))
[ "$nt" -gt 0 ] && [ "$wt" -gt 0 ] || status=1
fuzz=$(grep -c ' 0 crashes (exit 0)' build/fuzz.log || true)
echo "tests: $((total - failed)) passed, $failed failed; tree rules: $tree; fuzz targets clean: $fuzz; bench: $bench; Wine tests ran on the $wine_build build ($reason); $((SECONDS - started)) s in all"
exit $status
