#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests, in the private prefix $WINEPREFIX
# (created on first use), and passes its exit code through.
#   wine-run.sh [--gui|--plain] [--timeout SECONDS] PROGRAM.exe [ARGS...]
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
export WINEPREFIX WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
command -v wine >/dev/null || { echo "wine-run: wine is not installed (run scripts/setup.sh)" >&2; exit 2; }

if [ ! -f "$WINEPREFIX/.zt-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.zt-ready" ]; then
      echo "wine-run: creating prefix $WINEPREFIX" >&2
      rm -rf "$WINEPREFIX"
      DISPLAY= wineboot -i >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.zt-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

command -v xvfb-run >/dev/null || { echo "wine-run: xvfb-run is not installed" >&2; exit 2; }
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  timeout --kill-after=10 "$0" wine "$@"; rc=$?
  wineserver -k 2>/dev/null
  exit $rc' "$timeout" "$@"
rc=$?
[ $rc -eq 124 ] && echo "wine-run: $1 timed out after ${timeout}s" >&2
exit $rc
