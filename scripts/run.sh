#!/usr/bin/env bash
# Sets up the machine if needed, builds the Windows programs and runs the system under Wine: the
# parts one by one, then the wireless road as a user meets it, from a scan on the card to the
# three files.
# The i686 build is what users get. Where this machine runs no 32-bit processes, the same sources
# built for x86_64 run in its place.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/windows-builds.sh

started=$SECONDS
zt_step "set-up" bash scripts/setup.sh
mkdir -p build
wine_build=$(zt_wine_build 2>build/wine-build-reason.txt)
reason=$(cat build/wine-build-reason.txt)
# Only what the demonstration runs, in the build this machine runs: the i686 build where 32-bit
# processes run, its x86_64 stand-in otherwise (test.sh builds both whole, and the packages).
demo_targets=(ZTLumbrel ZTChkSDWiFi ZTChkScan ZTLBScanDetector CvImgFileIO overlay_imgfile_test
  detector_service_demo shell_frame_wine_test shell_dialogs_wine_test sdwifi_e2e_client wireless_road_demo)
zt_step "Windows build, $wine_build: what the demonstration runs" zt_build_windows "$wine_build" "${demo_targets[@]}"

echo "== built Windows binaries"
find "build/mingw-$wine_build" -maxdepth 3 \( -name '*.exe' -o -name '*.dll' \) \
  -not -path '*/googletest/*' -exec file {} \; | sed "s|$root/||" | sort -u

echo "== running under Wine: the $wine_build build ($reason)"
cat <<'TXT'
The programs run here as Windows code under Wine, first part by part:
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
     before the program closes with an unsaved overlay;
then the whole wireless road (the board's road needs its USB device, which Wine lacks):
  5. ZTLumbrel and ZTChkSDWiFi installed under Program Files, a slide on the screen, auto-save on;
     ZTLumbrel starts the checker, a whiteboard scan with marker ink lands on the simulated card
     and comes out as the overlay, the screenshot and the scan copy; a PNG of the overlay is kept;
     the tray menu's exit ends both programs.
TXT
zt_step "the engine, the image library and the SD checker" \
  ctest --test-dir "build/mingw-$wine_build" -R "^(cvimgfileio_samples|overlay_imgfile_test|sdwifi_e2e)$" \
  --output-on-failure

zt_step "the detector service and the scan checker" \
  env WINEPREFIX="$root/build/mingw-$wine_build/wineprefix" bash scripts/wine-run.sh --plain --timeout 60 \
  "build/mingw-$wine_build/tests/detector/detector_service_demo.exe"

zt_step "ZTLumbrel" \
  ctest --test-dir "build/mingw-$wine_build" -R "^(shell_frame_wine_test|shell_dialogs_wine_test)$" --output-on-failure
echo "The settings dialog as the user sees it: build/mingw-$wine_build/artifacts/settings_dialog.png"

zt_step "the wireless road: from a scan on the card to the three files" \
  env WINEPREFIX="$root/build/mingw-$wine_build/wineprefix" python3 tests/e2e/run_e2e.py \
  --wine-run scripts/wine-run.sh --timeout 150 \
  --client "build/mingw-$wine_build/tests/e2e/wireless_road_demo.exe" \
  --checker "build/mingw-$wine_build/chksdwifi/ZTChkSDWiFi.exe" \
  --lumbrel "build/mingw-$wine_build/overlay/shell/ZTLumbrel.exe" \
  --work "build/mingw-$wine_build/wireless_demo"
echo "== run.sh: $((SECONDS - started)) s in all"
