#!/usr/bin/env bash
# Runs a test program with two folders that cannot take files, in a mount namespace of its own:
# ZT_FULL_FOLDER on a 256 KB filesystem (the test fills it) and ZT_READONLY_FOLDER on a read-only
# one holding an earlier overlay. Needs unshare(1) and user or mount namespaces; without them the
# program runs plainly and those tests skip.
#   with_faulty_folders.sh PROGRAM [ARGS...]
set -euo pipefail
base=$(mktemp -d "${TMPDIR:-/tmp}/zt-faulty.XXXXXX")
trap 'rm -rf "$base"' EXIT
mkdir -p "$base/full" "$base/readonly"

inside='
  set -e
  mount -t tmpfs -o size=256k tmpfs "$ZT_FULL_FOLDER"
  mount -t tmpfs -o size=256k tmpfs "$ZT_READONLY_FOLDER"
  printf "an earlier overlay" >"$ZT_READONLY_FOLDER/EARLIER_Overlaid.JPG"
  mount -o remount,ro "$ZT_READONLY_FOLDER"
  exec "$@"'
export ZT_FULL_FOLDER="$base/full" ZT_READONLY_FOLDER="$base/readonly"
if unshare --user --map-root-user --mount bash -c 'true' 2>/dev/null; then
  unshare --user --map-root-user --mount bash -c "$inside" bash "$@"
elif unshare --mount bash -c 'true' 2>/dev/null; then
  unshare --mount bash -c "$inside" bash "$@"
else
  echo "with_faulty_folders: no mount namespace here; the faulty-folder tests skip" >&2
  unset ZT_FULL_FOLDER ZT_READONLY_FOLDER
  "$@"
fi
