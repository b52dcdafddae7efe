#!/usr/bin/env bash
# Makes the image fixtures of the translation tests with ImageMagick 6 and
# Python 3. The files are committed; this script only says how they came
# about. Run it from anywhere: it writes beside itself.
#
# The pictures are 10 x 7 (odd sizes, so row padding matters) with pixel
# (x, y) = red 20x + 5, green 30y + 7, blue 7xy mod 256, and, where there is
# alpha, alpha 40 + 20x + y. The tests compute the same values.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import sys, os
work = sys.argv[1]
W, H = 10, 7
def colour(x, y): return (20 * x + 5, 30 * y + 7, (7 * x * y) % 256)
def alpha(x, y): return 40 + 20 * x + y
def pam(name, depth, tupl, pixels):
    with open(os.path.join(work, name), 'wb') as f:
        f.write(b'P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n'
                % (W, H, depth, tupl))
        f.write(bytes(c for y in range(H) for x in range(W) for c in pixels(x, y)))
pam('colour.pam', 3, b'RGB', colour)
pam('alpha.pam', 4, b'RGB_ALPHA', lambda x, y: colour(x, y) + (alpha(x, y),))
pam('opaque.pam', 4, b'RGB_ALPHA', lambda x, y: colour(x, y) + (255,))
pam('grey.pam', 1, b'GRAYSCALE', lambda x, y: (20 * x + 9 * y,))
# System colour map entries 0, 5, 62, 63, 42, 98, 206 and 229, in turn.
system = [(0, 0, 0), (40, 40, 40), (0, 152, 51), (255, 255, 255), (255, 0, 0),
          (203, 203, 152), (102, 51, 152), (255, 227, 70)]
pam('system.pam', 3, b'RGB', lambda x, y: system[(x + 2 * y) % 8])
# The same with every third pixel fully transparent.
pam('system-alpha.pam', 4, b'RGB_ALPHA',
    lambda x, y: system[(x + 2 * y) % 8] + ((0,) if (x + y) % 3 == 0 else (255,)))
PY

c() { convert "$@"; }
c "$work/colour.pam" PNG24:colour.png
c "$work/alpha.pam" PNG32:alpha.png
c "$work/opaque.pam" -define png:color-type=6 PNG32:opaque-alpha.png
c "$work/grey.pam" -define png:color-type=0 -define png:bit-depth=8 PNG:grey.png
c "$work/grey.pam" pgm:grey.pgm
c "$work/system.pam" PNG8:palette-system.png
c "$work/colour.pam" PNG8:palette-other.png
c "$work/system-alpha.pam" GIF:palette-transparent.gif
c "$work/colour.pam" GIF:colour.gif
c "$work/colour.pam" BMP3:colour.bmp
c "$work/colour.pam" -quality 100 -sampling-factor 1x1 JPEG:colour.jpg
c "$work/colour.pam" -define webp:lossless=true WEBP:colour.webp
c "$work/colour.pam" -compress LZW TIFF:colour.tiff
c "$work/colour.pam" ppm:colour.ppm
c "$work/colour.pam" XPM:colour.xpm
c "$work/alpha.pam" ICO:alpha.ico
c "$work/alpha.pam" CUR:alpha.cur
# TGA files are written here: ImageMagick 6 stores rows top first while
# marking them bottom first. Covered: uncompressed and run-length encoded,
# true colour with and without alpha, colour-mapped, both row orders, and
# the version 2 footer.
python3 - <<'PY'
import struct
W, H = 10, 7
def colour(x, y): return (20 * x + 5, 30 * y + 7, (7 * x * y) % 256)
def alpha(x, y): return 40 + 20 * x + y
system = [(0, 0, 0), (40, 40, 40), (0, 152, 51), (255, 255, 255), (255, 0, 0),
          (203, 203, 152), (102, 51, 152), (255, 227, 70)]

def rle(pixels):
    # One row; pixels is a list of byte strings, one per pixel.
    out, i = b'', 0
    while i < len(pixels):
        run = 1
        while i + run < len(pixels) and pixels[i + run] == pixels[i] and run < 128:
            run += 1
        if run > 1:
            out += bytes((0x80 | (run - 1),)) + pixels[i]
            i += run
            continue
        start = i
        while (i < len(pixels) and i - start < 128
               and (i + 1 == len(pixels) or pixels[i + 1] != pixels[i])):
            i += 1
        out += bytes((i - start - 1,)) + b''.join(pixels[start:i])
    return out

def tga(name, kind, depth, pixel, top_first, palette=b'', footer=False, alpha_bits=0):
    descriptor = (0x20 if top_first else 0) | alpha_bits
    header = struct.pack('<BBBHHBHHHHBB', 0, 1 if palette else 0, kind, 0, len(palette) // 3,
                         24 if palette else 0, 0, 0, W, H, depth, descriptor)
    order = range(H) if top_first else reversed(range(H))
    rows = [[pixel(x, y) for x in range(W)] for y in order]
    body = b''.join(rle(row) if kind >= 9 else b''.join(row) for row in rows)
    with open(name, 'wb') as f:
        f.write(header + palette + body)
        if footer:
            f.write(b'\0' * 8 + b'TRUEVISION-XFILE.\0')

bgr = lambda x, y: bytes(reversed(colour(x, y)))
bgra = lambda x, y: bytes(reversed(colour(x, y))) + bytes((alpha(x, y),))
index = lambda x, y: bytes(((x + 2 * y) % 8,))
palette = b''.join(bytes((b, g, r)) for (r, g, b) in system)
tga('colour.tga', 2, 24, bgr, top_first=False)
tga('colour-rle.tga', 10, 24, bgr, top_first=True)
tga('colour-footer.tga', 2, 24, bgr, top_first=False, footer=True)
tga('alpha-rle.tga', 10, 32, bgra, top_first=False, alpha_bits=8)
tga('palette-system.tga', 1, 8, index, top_first=False, palette=palette)
tga('palette-system-rle.tga', 9, 8, index, top_first=True, palette=palette)
PY

# Broken files.
: > empty.png
python3 - <<'PY'
import random, struct, zlib
rng = random.Random(1234)
open('garbage.png', 'wb').write(bytes(rng.randrange(256) for _ in range(512)))
# A PNG whose header claims 100000 x 100000 pixels, with a tiny body.
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
ihdr = struct.pack('>IIBBBBB', 100000, 100000, 8, 2, 0, 0, 0)
body = zlib.compress(b'\0' * 64)
open('huge-header.png', 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr)
    + chunk(b'IDAT', body) + chunk(b'IEND', b''))
PY
c -size 32x32 -seed 5 plasma:fractal PNG24:"$work/plasma.png"
c -size 32x32 -seed 5 plasma:fractal -quality 90 JPEG:"$work/plasma.jpg"
head -c $(( $(stat -c %s "$work/plasma.png") / 2 )) "$work/plasma.png" > truncated.png
head -c $(( $(stat -c %s "$work/plasma.jpg") / 2 )) "$work/plasma.jpg" > truncated.jpg
