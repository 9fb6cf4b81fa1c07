#!/usr/bin/env bash
# Seed corpora for the fuzz targets, made from real files: small scans written by ImageMagick and
# img2pdf in the variants a board or a card produces, listings in each card type's format, the
# shipped sdwifi.ini's values and the shipped language files.
#   make_seeds.sh OUT     (OUT/<target without "fuzz_">/ for each target; existing seeds are kept)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: make_seeds.sh OUT}
mkdir -p "$out"/{scan_jpeg,scan_tiff,scan_pdf,scan_bmp,card_listing,card_config,captions,channel_blocks}

# Channel blocks: a registration as the tray application writes it, then a scan's file name; and
# one whose folder fills its 260 bytes without a NUL.
python3 - "$out/channel_blocks" <<'PY'
import struct, sys
def block(folder, name, first_pass=0):
    return struct.pack('<III', 0x20044, 0x3F, first_pass) + folder.ljust(260, b'\0')[:260] + name
folder = b'C:\\Users\\me\\AppData\\Local\\Corvane\\Zentab Lumbrel\\ZTLB_SDWiFi\\'
open(sys.argv[1] + '/tray', 'wb').write(block(folder, b'05011100.JPG'))
open(sys.argv[1] + '/full-folder', 'wb').write(block(b'D:\\' + b'x' * 258, b'05011100.PDF', 1))
PY
[ -f "$out/.done" ] && exit 0

scan() {  # a small whiteboard-like picture: near-white with a dark stroke
  convert -size 24x32 xc:'#f4f4f0' -fill '#202878' -draw 'rectangle 4,6 8,26' -density 200 "$@"
}
scan "$out/scan_jpeg/baseline.jpg"
scan -interlace Plane "$out/scan_jpeg/progressive.jpg"
scan -colorspace Gray "$out/scan_jpeg/grey.jpg"
scan -colorspace CMYK "$out/scan_jpeg/cmyk.jpg"
scan -compress None "$out/scan_tiff/plain.tif"
scan -compress LZW "$out/scan_tiff/lzw.tif"
scan -compress RLE "$out/scan_tiff/packbits.tif"
scan -monochrome -compress Group4 "$out/scan_tiff/g4.tif"
scan BMP3:"$out/scan_bmp/true-colour.bmp"
scan -type Palette BMP3:"$out/scan_bmp/palette.bmp"
scan -monochrome BMP3:"$out/scan_bmp/two-colour.bmp"
img2pdf --pagesize A4^T -o "$out/scan_pdf/jpeg-page.pdf" "$out/scan_jpeg/baseline.jpg" 2>/dev/null
img2pdf -o "$out/scan_pdf/g4-page.pdf" "$out/scan_tiff/g4.tif" 2>/dev/null
qpdf --qdf --object-streams=disable "$out/scan_pdf/jpeg-page.pdf" "$out/scan_pdf/qdf-page.pdf"

# Listings: the first byte picks the card type (0: CSV with FAT date words, 1 and 2: text).
printf '\000cardFiles.push({"/,DCIM,0,16,22689,0"});\ncardFiles.push({"/DCIM,05011100.JPG,4096,32,22689,26624"});\ncardFiles.push({"/DCIM,05011101.PDF,77,32,22689,26656"});\n' \
  >"$out/card_listing/csv"
printf '\001<a href="05011100.PDF">05011100.PDF</a> size=4096; time=2026-05-01 11:00:00;\n<a href="05011101.JPG">05011101.JPG</a> size=12; time=2026/05/01 11:01:07;\n' \
  >"$out/card_listing/text1"
printf '\202<a href="05011100.TIF">05011100.TIF</a> size=9; time=2026-05-01T11:00:00;\n' >"$out/card_listing/text2-dbcs"

# The shipped configuration's values, one a line in the order the checker reads them.
grep -E '^[A-Za-z_0-9]+=' "$root/chksdwifi/sdwifi.ini" | cut -d= -f2- >"$out/card_config/shipped" || true
printf '1\nhttp://192.168.0.1/\nsize=\n;\ntime=\n\\"\\t\\\\\nhttp://192.168.0.1/\n.JPG\n.PDF\n\nDCIM\n' \
  >"$out/card_config/escapes"

cp "$root"/lang/*.ini "$out/captions/"
touch "$out/.done"
