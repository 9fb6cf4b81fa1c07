#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests, in the private prefix $WINEPREFIX
# (created on first use), and passes its exit code through.
#   wine-run.sh [--gui|--plain|--two-screens] [--timeout SECONDS] PROGRAM.exe [ARGS...]
# The Wine loader is chosen from the program's machine type: the 32-bit loader for i686 programs
# in a win32 prefix, the 64-bit loader for x86_64 programs in a win64 prefix. Debian's `wine`
# wrapper is never used: it tries the 32-bit loader first, which cannot start on kernels without
# 32-bit process support. One prefix serves one kind; a build tree holds programs of one kind.
# Every program runs on its own virtual 1920x1080 X screen: Wine creates no window at all (hidden
# ones included) without a display driver. --gui and --plain only document the test's intent.
# The prefix's wineserver is ended after each program so that the next one, on another X screen,
# starts clean.
# --two-screens gives the program two displays side by side: a nested X server (Xephyr) with a
# 1920x1080 and a 1024x768 screen joined by Xinerama, which Wine reads when told not to ask
# XRandR; Wine then has \\.\DISPLAY1 at 0,0-1920,1080 (primary) and \\.\DISPLAY2 at 1920,0-2944,768.
# The setting is taken away again after the program, so other programs see one display.
set -uo pipefail

timeout=120
screens=one
while [ $# -gt 0 ]; do
  case "$1" in
    --gui|--plain) shift ;;
    --two-screens) screens=two; shift ;;
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
if [ "$screens" = two ]; then
  command -v Xephyr >/dev/null || { echo "wine-run: Xephyr is not installed (package xserver-xephyr)" >&2; exit 2; }
  # Wine reads the setting when its desktop starts: set before the program, removed after it.
  xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    x11key="HKCU\\Software\\Wine\\X11 Driver"
    nested=""
    for n in $(seq 90 120); do
      [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
      Xephyr :$n -screen 1920x1080 -screen 1024x768 +xinerama -nolisten tcp >/dev/null 2>&1 &
      pid=$!
      for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
      if [ -e /tmp/.X11-unix/X$n ] && kill -0 $pid 2>/dev/null; then nested=$n; break; fi
      kill $pid 2>/dev/null
    done
    [ -n "$nested" ] || { echo "wine-run: no nested X server could be started" >&2; exit 2; }
    export DISPLAY=:$nested
    "$WINELOADER" reg add "$x11key" /v UseXRandR /d N /f >/dev/null 2>&1
    "$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null
    timeout --kill-after=10 "$0" "$WINELOADER" "$@"; rc=$?
    "$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null
    "$WINELOADER" reg delete "$x11key" /v UseXRandR /f >/dev/null 2>&1
    "$WINESERVER" -k 2>/dev/null
    kill $pid 2>/dev/null
    exit $rc' "$timeout" "$@"
else
  xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    timeout --kill-after=10 "$0" "$WINELOADER" "$@"; rc=$?
    "$WINESERVER" -k 2>/dev/null
    exit $rc' "$timeout" "$@"
fi
rc=$?
[ $rc -eq 124 ] && echo "wine-run: $1 timed out after ${timeout}s" >&2
exit $rc
