#!/bin/sh
# corvane-tool picture: info and convert through the real program, and their failures.
set -eu
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
export HOME="$dir" XDG_CONFIG_HOME="$dir" XDG_DATA_HOME="$dir" TMPDIR="$dir"

# A 4 x 2 24-bit BMP at 96 dpi: file header, information header, two rows of 12 bytes.
{
  printf 'BM\116\000\000\000\000\000\000\000\066\000\000\000'
  printf '\050\000\000\000\004\000\000\000\002\000\000\000\001\000\030\000'
  printf '\000\000\000\000\030\000\000\000\304\016\000\000\304\016\000\000\000\000\000\000\000\000\000\000'
  printf '\000\000\377\000\377\000\377\000\000\377\377\377'
  printf '\020\040\060\020\040\060\020\040\060\020\040\060'
} > a.bmp

"$tool" picture info a.bmp > info.txt
grep -qx 'size: 4x2' info.txt
grep -qx 'bits: 24' info.txt
grep -qx 'transparent: none' info.txt

"$tool" picture convert a.bmp b.png
"$tool" picture convert b.png c.cbm
test "$(head -c 12 c.cbm)" = "ZLIBCompress"
"$tool" picture convert c.cbm d.bmp
# BMP -> PNG -> CBM -> BMP keeps every pixel and the header (the resolution aside).
test "$(head -c 38 a.bmp | od -An -tx1)" = "$(head -c 38 d.bmp | od -An -tx1)"
cmp -i 46 a.bmp d.bmp
"$tool" picture convert a.bmp e.jpg --size 8x4 --filter cubic --rotate 90 --blur 1
"$tool" picture info e.jpg | grep -qx 'size: 4x8'
"$tool" picture convert a.bmp f.bmp --size 2x1 --filter area
"$tool" picture info f.bmp | grep -qx 'size: 2x1'

# Metafiles: an EMF another program wrote, played at its own size and at a size asked for;
# a metafile cut short still plays the records it has.
emf=$here/metafile/external/pstoedit-shapes.emf
"$tool" picture info "$emf" > m.txt
grep -qx 'kind: EMF' m.txt
grep -qx 'size: 213x130' m.txt
grep -qx 'records: 97' m.txt
grep -qx 'skipped: none' m.txt
"$tool" picture convert "$emf" m.bmp
"$tool" picture info m.bmp | grep -qx 'size: 213x130'
"$tool" picture convert "$emf" m.png --size 426x260
"$tool" picture info m.png | grep -qx 'size: 426x260'
head -c 600 "$emf" > cut.emf
"$tool" picture info cut.emf | grep -q '(no end record)'

# The filter chain of an image object: the crop is cut to the picture, then the colour
# filters; grey toning of the 24-bit picture leaves equal channels (bytes 54..65 of a BMP).
"$tool" picture filter a.bmp g.bmp --clip 1,0,30,2 --blur -1 --light 10,20 --mono 0x808080 --auto 1
"$tool" picture info g.bmp | grep -qx 'size: 3x2'
test "$(od -An -tu1 -j54 -N3 g.bmp | awk '{print ($1 == $2 && $2 == $3)}')" = 1
if "$tool" picture filter a.bmp h.bmp --auto 9 2> err.txt; then exit 1; else test $? -eq 1; fi
grep -q 'オプションの値が不正です' err.txt
"$tool" exif a.bmp | grep -qx 'この画像ファイルはExif情報に対応していません'

# Failures: the program's message and exit status 1; usage errors exit 2.
printf 'BX' > bad.bmp
if "$tool" picture info bad.bmp 2> err.txt; then exit 1; else test $? -eq 1; fi
grep -q 'ビットマップイメージが不正です' err.txt
if "$tool" picture convert a.bmp out.gif 2> err.txt; then exit 1; else test $? -eq 1; fi
grep -q '出力形式が不明です' err.txt
test ! -e out.gif
if "$tool" picture convert a.bmp g.png --size 0x5 2> err.txt; then exit 1; else test $? -eq 1; fi
if "$tool" picture frobnicate 2> err.txt; then exit 1; else test $? -eq 2; fi
echo ok
