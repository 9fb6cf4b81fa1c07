#!/usr/bin/env bash
# Fuzzes every parser of bytes from outside with libFuzzer (clang): builds build/fuzz, makes the
# seed corpora from real files, replays the inputs kept in tests/fuzz/regressions, then runs each
# target and prints its executions and crashes. Exit status 1 when anything crashed.
#   bash scripts/fuzz.sh                  a short pass, 10 seconds a target
#   bash scripts/fuzz.sh --seconds N      N seconds a target
#   bash scripts/fuzz.sh --minutes N      the long run: each target until 10 million executions or
#                                         N minutes, two targets at a time
# A crash's input is left in build/fuzz/crashes/<target>/; once mended, keep it in
# tests/fuzz/regressions/<target>/ so that every later pass replays it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=10 runs=-1 parallel=1
case "${1:-}" in
  --seconds) seconds=${2:?}; ;;
  --minutes) seconds=$(( ${2:?} * 60 )); runs=10000000; parallel=2 ;;
  "") ;;
  *) echo "usage: fuzz.sh [--seconds N | --minutes N]" >&2; exit 2 ;;
esac
targets=(fuzz_scan_jpeg fuzz_scan_tiff fuzz_scan_pdf fuzz_scan_bmp fuzz_card_listing fuzz_card_config fuzz_captions fuzz_channel_blocks)
out=build/fuzz

echo "== fuzz build (clang, libFuzzer, AddressSanitizer, UBSan)"
cmake -S . -B "$out" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZT_FUZZ=ON -DZT_COMPONENTS="cvimgfileio;overlay/imgfile;overlay/engine;overlay/shell;chksdwifi" >/dev/null
cmake --build "$out" -j"${ZT_JOBS:-2}" --target "${targets[@]}" >/dev/null

echo "== seed corpora"
bash tests/fuzz/make_seeds.sh "$out/seeds"

echo "== regressions"
for t in "${targets[@]}"; do
  kept=(tests/fuzz/regressions/$t/*)
  [ -e "${kept[0]}" ] || continue
  "$out/tests/fuzz/$t" "${kept[@]}" >"$out/$t.replay.log" 2>&1 || { echo "$t: a kept input crashes again"; exit 1; }
  echo "$t: ${#kept[@]} kept inputs replayed"
done

run_one() {
  local t=$1 corpus=$out/corpus/$1 crashes=$out/crashes/$1
  mkdir -p "$corpus" "$crashes"
  local dict=() status=0
  [ -f "tests/fuzz/$t.dict" ] && dict=(-dict="tests/fuzz/$t.dict")
  TMPDIR=$out "$out/tests/fuzz/$t" -max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "${dict[@]}" "$corpus" "$out/seeds/${t#fuzz_}" \
    >"$out/$t.log" 2>&1 || status=$?
  local execs
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/$t.log" | grep -o '[0-9]*$' || echo 0)
  local found
  found=$(find "$crashes" -type f | wc -l)
  printf '%-20s %12s executions %4s crashes (exit %s)\n' "$t" "$execs" "$found" "$status"
  [ "$status" = 0 ] && [ "$found" = 0 ]
}
export -f run_one
export out seconds runs

echo "== running, $seconds seconds a target, $parallel at a time"
rm -rf "$out/crashes"
printf '%s\n' "${targets[@]}" | xargs -P "$parallel" -I{} bash -c 'run_one {}' && exit 0
echo "fuzz: crashes found; their inputs are in $out/crashes/ (logs: $out/<target>.log)"
exit 1
