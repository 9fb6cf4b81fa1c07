#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests, in the private prefix $WINEPREFIX
# (created on first use), and passes its exit code through.
#   wine-run.sh [--gui|--plain] [--timeout SECONDS] PROGRAM.exe [ARGS...]
# The Wine loader is chosen from the program's machine type: the 32-bit loader for i686 programs
# in a win32 prefix, the 64-bit loader for x86_64 programs in a win64 prefix. Debian's `wine`
# wrapper is never used: it tries the 32-bit loader first, which cannot start on kernels without
# 32-bit process support. One prefix serves one kind; a build tree holds programs of one kind.
# Every program runs on its own virtual 1920x1080 X screen: Wine creates no window at all (hidden
# ones included) without a display driver. --gui and --plain only document the test's intent.
# The prefix's wineserver is ended after each program so that the next one, on another X screen,
# starts clean.
set -uo pipefail

timeout=120
while [ $# -gt 0 ]; do
  case "$1" in
    --gui|--plain) shift ;;
    --timeout) timeout=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || { echo "usage: wine-run.sh [--gui|--plain] [--timeout S] PROGRAM [ARGS]" >&2; exit 2; }
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"

# The PE machine field: the 4-byte offset of the "PE\0\0" signature lies at 0x3C, the 2-byte
# machine number follows the signature.
pe_machine() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$pe" ] && [ "$(od -An -c -j"$pe" -N2 "$1" 2>/dev/null | tr -d ' ')" = "PE" ] || return 1
  od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}

case "$(pe_machine "$1")" in
  014c) kind=win32 loader=/usr/lib/wine/wine server=/usr/lib/wine/wineserver32 package=wine32:i386 ;;
  8664) kind=win64 loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64 package=wine64 ;;
  *) echo "wine-run: $1 is not an i686 or x86_64 Windows program" >&2; exit 2 ;;
esac
[ -x "$loader" ] && [ -x "$server" ] ||
  { echo "wine-run: $loader is not installed (package $package; run scripts/setup.sh)" >&2; exit 2; }
export WINEPREFIX WINEARCH=$kind WINELOADER=$loader WINESERVER=$server WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

ready="$WINEPREFIX/.zt-ready"
if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      echo "wine-run: creating $kind prefix $WINEPREFIX" >&2
      rm -rf "$WINEPREFIX"
      DISPLAY= "$loader" wineboot -i >/dev/null 2>&1
      "$server" -w
      echo "$kind" >"$ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
made=$(cat "$ready")
[ "$made" = "$kind" ] ||
  { echo "wine-run: $WINEPREFIX is a $made prefix; $1 needs $kind (one build tree, one kind)" >&2; exit 2; }

command -v xvfb-run >/dev/null || { echo "wine-run: xvfb-run is not installed" >&2; exit 2; }
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  timeout --kill-after=10 "$0" "$WINELOADER" "$@"; rc=$?
  "$WINESERVER" -k 2>/dev/null
  exit $rc' "$timeout" "$@"
rc=$?
[ $rc -eq 124 ] && echo "wine-run: $1 timed out after ${timeout}s" >&2
exit $rc
