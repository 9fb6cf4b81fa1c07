#!/usr/bin/env bash
# Makes the image files the library's tests read, with the usual tools, into the folder given.
# Every tool must be there: a missing one fails the run instead of skipping tests.
set -euo pipefail
out=${1:?usage: make_samples.sh FOLDER}
for tool in convert tiffcp fax2tiff img2pdf gs; do
  command -v "$tool" >/dev/null || { echo "make_samples: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
rm -rf "$out"
mkdir -p "$out"
cd "$out"

# A 97 x 61 picture (odd width, so rows carry padding) and its exact pixels.
convert -seed 7 -size 97x61 plasma: -depth 8 ref.png
convert ref.png -depth 8 ref.ppm
convert ref.png -colors 16 -depth 8 q16.png && convert q16.png q16.ppm
convert ref.png -colors 200 -depth 8 q200.png && convert q200.png q200.ppm
convert ref.png -monochrome mono.png && convert mono.png mono.pbm
convert ref.png -colorspace Gray -depth 8 grey.png && convert grey.png grey.pgm

# BMP: 1, 8 and 24 bits (the tests build 4-, 16- and 32-bit and top-down ones themselves).
convert mono.png -type Bilevel BMP3:bmp1.bmp
convert q200.png -type Palette -compress None BMP3:bmp8.bmp
convert q200.png -type Palette -compress RLE BMP3:bmp8rle.bmp
convert ref.png -type TrueColor BMP3:bmp24.bmp

# JPEG: baseline with a density, progressive, greyscale, CMYK (Adobe, inverted).
convert ref.png -quality 95 -density 200 -units PixelsPerInch base.jpg
convert ref.png -quality 95 -interlace JPEG prog.jpg
convert grey.png -quality 95 grey.jpg
convert ref.png -colorspace CMYK -quality 95 cmyk.jpg
for f in base prog grey cmyk; do convert "$f.jpg" -colorspace sRGB -depth 8 "$f.ppm"; done

# TIFF: the common compressions, tiles, 16-bit samples, grey, palette, alpha, and two-colour
# images in both polarities with the fax codings.
convert ref.png -depth 8 -compress None -density 150 -units PixelsPerInch rgb_none.tif
tiffcp -c lzw:2 rgb_none.tif rgb_lzw.tif
tiffcp -c zip rgb_none.tif rgb_zip.tif
tiffcp -c packbits rgb_none.tif rgb_packbits.tif
tiffcp -c lzw -t -w 32 -l 32 rgb_none.tif rgb_tiled.tif
tiffcp -t -w 32 -l 32 rgb_none.tif rgb_none_tiled.tif
tiffcp -c jpeg:95 -r 16 rgb_none.tif rgb_jpeg.tif
convert rgb_jpeg.tif -depth 8 rgb_jpeg.ppm
tiffcp -r 7 rgb_none.tif rgb_strips.tif
convert ref.png -depth 16 -compress None rgb16.tif
convert grey.png -depth 8 -type Grayscale -compress LZW grey8.tif
convert q16.png -type Palette -compress None palette.tif
convert ref.png -depth 8 -alpha on -channel A -evaluate set 100% +channel -compress LZW rgba.tif
# Stored mirrored, with the orientation tag that undoes it.
convert ref.png -depth 8 -flip -orient bottom-left -compress None orient_bl.tif
convert ref.png -depth 8 -flip -flop -orient bottom-right -compress LZW orient_br.tif
convert ref.png -depth 8 -flop -orient top-right -compress None orient_tr.tif
convert mono.png -depth 1 -compress None -define quantum:polarity=min-is-white -define tiff:photometric=min-is-white -density 300 -units PixelsPerInch bw_white.tif
convert mono.png -type Bilevel -depth 1 -compress None -define tiff:photometric=min-is-black bw_black.tif
tiffcp -c g4 bw_white.tif bw_g4.tif
tiffcp -c g3 bw_white.tif bw_g3.tif
tiffcp -c g3:2d bw_white.tif bw_g3_2d.tif
tiffcp -c g4 -t -w 32 -l 32 bw_black.tif bw_g4_tiled.tif
# A raw fax page, framed by fax2tiff.
tiffcp -c none bw_white.tif bw_plain.tif
python3 - bw_g4.tif > bw.g4 <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
bo = '<' if d[:2] == b'II' else '>'
ifd = struct.unpack(bo + 'I', d[4:8])[0]
n = struct.unpack(bo + 'H', d[ifd:ifd + 2])[0]
tags = {}
for i in range(n):
    e = d[ifd + 2 + 12 * i: ifd + 14 + 12 * i]
    tag, typ, cnt = struct.unpack(bo + 'HHI', e[:8])
    val = struct.unpack(bo + ('H' if typ == 3 else 'I'), e[8:10] if typ == 3 else e[8:12])[0]
    tags[tag] = val
sys.stdout.buffer.write(d[tags[273]:tags[273] + tags[279]])
PY
fax2tiff -4 -M -X 97 -o bw_fax2tiff.tif bw.g4

# PDF: JPEG (DCTDecode), PNG (FlateDecode with predictors), G4 (CCITTFaxDecode), grey and
# palette, each centred on an A4 page at a known size; and one rewritten by Ghostscript.
img2pdf --pagesize A4 --imgsize 97ptx61pt base.jpg -o dct.pdf
img2pdf --pagesize A4 --imgsize 97ptx61pt ref.png -o flate.pdf
img2pdf --pagesize A4 --imgsize 97ptx61pt bw_g4.tif -o ccitt.pdf
img2pdf --pagesize A4 --imgsize 97ptx61pt grey.png -o grey.pdf
img2pdf --pagesize A4 --imgsize 97ptx61pt q16.png -o palette.pdf
img2pdf --imgsize 48.5ptx30.5pt ref.png -o flate_144dpi.pdf
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -dAutoFilterColorImages=false -dColorImageFilter=/FlateEncode \
  -sOutputFile=gs.pdf flate.pdf
mkdir -p written
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile=two_pages.pdf ccitt.pdf flate.pdf
echo done > ready
