#!/usr/bin/env bash
# Runs the board road's Wine test: maps a drive letter of the prefix to a folder of the work area
# and makes Wine report it as removable (Wine reads both when its server starts), lays the SD
# checker beside the test with a configuration that points at no card, and runs the test.
#   run_board_road.sh WINE_RUN TEST.exe STAND_IN.exe SD_CHECKER.exe WORK LETTER TIMEOUT
set -euo pipefail
wine_run=$1 test_exe=$2 stand_in=$3 sd_checker=$4 work=$5 letter=$6 timeout=$7
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
drive=$(echo "$letter" | tr 'A-Z' 'a-z'):

winepath() { echo "Z:$1" | tr / '\\'; }

rm -rf "$work"
mkdir -p "$work/board"
cp "$sd_checker" "$work/ZTChkSDWiFi.exe"
# Port 9 on this machine refuses at once: the checker finds no card and keeps trying.
printf '[SD_WiFi]\r\nSD_TYPE=0\r\nFOLDER_URL=http://127.0.0.1:9/\r\nFILE_URL=http://127.0.0.1:9/\r\n' \
  >"$work/sdwifi.ini"

# The drive type is read from the registry; reg.exe of the prefix's own kind writes it.
# A fresh prefix is made by the first program that runs in it.
system=$WINEPREFIX/drive_c/windows/system32
[ -f "$system/reg.exe" ] || "$wine_run" --plain --timeout 120 "$test_exe" --gtest_list_tests >/dev/null
"$wine_run" --plain --timeout 60 "$system/reg.exe" add 'HKLM\Software\Wine\Drives' /v "$drive" /d floppy /f \
  >/dev/null
ln -sfn "$work/board" "$WINEPREFIX/dosdevices/$drive"
trap 'rm -f "$WINEPREFIX/dosdevices/$drive"' EXIT

ZT_BOARD_LETTER=$letter ZT_STAND_IN_EXE=$(winepath "$stand_in") ZT_CHECKER_EXE=$(winepath "$work/ZTChkSDWiFi.exe") \
  "$wine_run" --gui --timeout "$timeout" "$test_exe"
