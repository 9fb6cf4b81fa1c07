#!/usr/bin/env bash
# What the package ships: every program and library without debug sections, each naming its
# debug file, which lies in the build with the debug information.
#   shipped_files_test.sh PACKAGE.msi OBJDUMP BUILD_DIR
set -uo pipefail
msi=$1 objdump=$2 build=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && msiextract "$msi" >/dev/null) || { echo "FAILED: msiextract $msi"; exit 1; }

failed=0
count=0
while IFS= read -r -d '' file; do
  count=$((count + 1))
  name=$(basename "$file")
  sections=$("$objdump" -h "$file") || { echo "FAILED: $name is no program objdump reads"; failed=1; continue; }
  if grep -q ' \.debug_' <<<"$sections"; then
    echo "FAILED: $name ships with debug sections"; failed=1
  fi
  if ! grep -q ' \.gnu_debuglink' <<<"$sections"; then
    echo "FAILED: $name names no debug file"; failed=1; continue
  fi
  debug=$(find "$build" -name "$name.debug" -not -path "$work/*" | head -n 1)
  if [ -z "$debug" ] || ! "$objdump" -h "$debug" | grep -q ' \.debug_info'; then
    echo "FAILED: $name.debug with its debug information is not in the build"; failed=1; continue
  fi
  echo "ok: $name ($(stat -c %s "$file") bytes shipped, $(stat -c %s "$debug") bytes of debug file)"
done < <(find "$work" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)

[ "$count" -ge 5 ] || { echo "FAILED: $count programs and libraries in the package, 5 expected"; failed=1; }
exit $failed
