#!/usr/bin/env bash
# Sets up the machine if needed, builds the Windows programs and runs the system under Wine: the
# wireless road as a user meets it, from a scan on the card to the three files; with --parts,
# then the parts one by one.
#   bash scripts/run.sh [--parts]
# Ends with 0, or prints "FAILED:" and the step that failed and ends with 1.
# The i686 build is what users get. Where this machine runs no 32-bit processes, the same sources
# built for x86_64 run in its place.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/windows-builds.sh

fail() {
  echo "FAILED: $1"
  exit 1
}
# A step that fails ends the run.
step() { zt_step "$@" || fail "$1"; }

parts=no
case "${1:-}" in
  --parts) parts=yes ;;
  "") ;;
  *) fail "unknown argument '$1' (usage: bash scripts/run.sh [--parts])" ;;
esac

started=$SECONDS
step "set-up" bash scripts/setup.sh
mkdir -p build
wine_build=$(zt_wine_build 2>build/wine-build-reason.txt) || fail "$(cat build/wine-build-reason.txt)"
reason=$(cat build/wine-build-reason.txt)
tree="build/mingw-$wine_build"
# Only what is run, in the build this machine runs: the i686 build where 32-bit processes run,
# its x86_64 stand-in otherwise (test.sh builds both whole, and the packages). The road's programs
# first, so that its files come before the parts are built.
road_targets=(ZTLumbrel ZTChkSDWiFi CvImgFileIO wireless_road_demo)
parts_targets=(ZTChkScan ZTLBScanDetector overlay_imgfile_test detector_service_demo shell_frame_wine_test
  shell_dialogs_wine_test sdwifi_e2e_client)
step "Windows build, $wine_build: the wireless road" zt_build_windows "$wine_build" "${road_targets[@]}"
echo "== built Windows binaries"
find "$tree" -maxdepth 3 \( -name '*.exe' -o -name '*.dll' \) \
  -not -path '*/googletest/*' -exec file {} \; | sed "s|$root/||" | sort -u

echo "== running under Wine: the $wine_build build ($reason)"
cat <<'TXT'
The programs run here as Windows code under Wine, along the wireless road (the board's road needs
its USB device, which Wine lacks): ZTLumbrel and ZTChkSDWiFi installed under Program Files, a slide
on the screen, auto-save on; ZTLumbrel starts the checker, a whiteboard scan with marker ink lands
on a simulated wireless SD card and comes out as the overlay, the screenshot and the scan copy; a
PNG of the overlay is kept; the tray menu's exit ends both programs.
TXT
work="$tree/wireless_demo"
step "the wireless road: from a scan on the card to the three files" \
  env WINEPREFIX="$root/$tree/wineprefix" python3 tests/e2e/run_e2e.py \
  --wine-run scripts/wine-run.sh --timeout 150 \
  --client "$tree/tests/e2e/wireless_road_demo.exe" \
  --checker "$tree/chksdwifi/ZTChkSDWiFi.exe" \
  --lumbrel "$tree/overlay/shell/ZTLumbrel.exe" \
  --work "$work"
echo "== the three files, $((SECONDS - started)) s after the start:"
(cd "$work/saves" && find . -type f -printf '   %P  (%s bytes)\n' | sort) ||
  fail "no saved files in $work/saves"
echo "   (in $work/saves; the overlay as a picture: $tree/artifacts/wireless_overlay.png)"

if [ "$parts" = no ]; then
  echo "== run.sh: $((SECONDS - started)) s in all (bash scripts/run.sh --parts: then the parts one by one)"
  exit 0
fi

step "Windows build, $wine_build: the parts" zt_build_windows "$wine_build" "${parts_targets[@]}"
cat <<'TXT'
Then the parts one by one:
  1. the overlay engine on real JPEG, TIFF and PDF scans through CvImgFileIO.dll: load, turn,
     halve, mask, compose, and the overlay, screenshot and scan copy written without overwriting;
  2. ZTChkSDWiFi.exe against a simulated wireless SD card on 127.0.0.1: it polls the listings,
     downloads each new scan once and delivers it to a registered client through the message channel;
  3. ZTLBScanDetector.exe registered as a service in the prefix and started by its service control
     manager: it creates the shared drive-letter block and starts ZTChkScan.exe from Program Files;
     stopping it asks the checker to quit and ends it;
  4. ZTLumbrel.exe: one copy per machine, its hidden frame and tray menu in the language file's words,
     a scan handed to it saved as three files, the settings dialog with the overlay preview, calibrated
     with typing, arrow buttons and mouse drags, About and the calibration hint, and the question
     before the program closes with an unsaved overlay.
TXT
step "the engine, the image library and the SD checker" \
  ctest --test-dir "$tree" -R "^(cvimgfileio_samples|overlay_imgfile_test|sdwifi_e2e)$" --output-on-failure

step "the detector service and the scan checker" \
  env WINEPREFIX="$root/$tree/wineprefix" bash scripts/wine-run.sh --plain --timeout 60 \
  "$tree/tests/detector/detector_service_demo.exe"

step "ZTLumbrel" \
  ctest --test-dir "$tree" -R "^(shell_frame_wine_test|shell_dialogs_wine_test)$" --output-on-failure
echo "The settings dialog as the user sees it: $tree/artifacts/settings_dialog.png"
echo "== run.sh: $((SECONDS - started)) s in all"
