#!/usr/bin/env bash
# Draws the zelvo icon, a strip of film with a play sign, and writes next to
# this script:
#   zelvo-16.png ... zelvo-256.png  full-colour images for the hicolor theme
#   zelvo.ico                       48, 32 and 16 px in 256 colours, then
#                                   16, 32 and 48 px in 16 colours
# Needs ImageMagick (convert) and python3. The output is committed; run this
# again only after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

film='#263238' holes='#eceff1' frame='#26a69a' play='#ffca28'

# The large drawing, 256 px, for 48 px and up.
convert -size 256x256 xc:none -fill "$film" -draw 'roundrectangle 16,40 239,215 20,20' -fill "$holes" \
    -draw 'roundrectangle 34,54 54,72 4,4' -draw 'roundrectangle 78,54 98,72 4,4' \
    -draw 'roundrectangle 122,54 142,72 4,4' -draw 'roundrectangle 166,54 186,72 4,4' \
    -draw 'roundrectangle 210,54 230,72 4,4' \
    -draw 'roundrectangle 34,183 54,201 4,4' -draw 'roundrectangle 78,183 98,201 4,4' \
    -draw 'roundrectangle 122,183 142,201 4,4' -draw 'roundrectangle 166,183 186,201 4,4' \
    -draw 'roundrectangle 210,183 230,201 4,4' \
    -fill "$frame" -draw 'roundrectangle 30,84 225,171 8,8' \
    -fill "$play" -draw 'polygon 106,98 106,158 158,128' "$work/large.png"

# The small drawing on a 4-pixel grid, so that 16 and 32 px stay sharp.
convert -size 64x64 xc:none -fill "$film" -draw 'roundrectangle 0,8 63,55 6,6' -fill "$holes" \
    -draw 'rectangle 4,12 11,15' -draw 'rectangle 20,12 27,15' -draw 'rectangle 36,12 43,15' \
    -draw 'rectangle 52,12 59,15' \
    -draw 'rectangle 4,48 11,51' -draw 'rectangle 20,48 27,51' -draw 'rectangle 36,48 43,51' \
    -draw 'rectangle 52,48 59,51' \
    -fill "$frame" -draw 'rectangle 4,20 59,43' \
    -fill "$play" -draw 'polygon 24,23 24,40 41,31.5' "$work/small.png"

for size in 16 32; do
    convert "$work/small.png" -filter box -resize "${size}x${size}" -strip "zelvo-$size.png"
done
for size in 48 64 128 256; do
    convert "$work/large.png" -resize "${size}x${size}" -strip "zelvo-$size.png"
done

# Palette images for the .ico: colour 0 is black for the transparent pixels,
# which the icon's mask cuts out; the opaque ones share the other colours.
for entry in 48:256 32:256 16:256 16:16 32:16 48:16; do
    size=${entry%:*} colours=${entry#*:}
    convert "zelvo-$size.png" -background "$film" -alpha remove +dither -colors $((colours - 1)) \
        -depth 8 "rgb:$work/$size-$colours.rgb"
    convert "zelvo-$size.png" -alpha extract -depth 8 "gray:$work/$size-$colours.alpha"
done

python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
entries = [(48, 256), (32, 256), (16, 256), (16, 16), (32, 16), (48, 16)]

def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4

images = []
for size, colours in entries:
    rgb = open(f"{work}/{size}-{colours}.rgb", "rb").read()
    alpha = open(f"{work}/{size}-{colours}.alpha", "rb").read()
    bpp = 8 if colours == 256 else 4
    palette = [(0, 0, 0)]
    index = []
    for i in range(size * size):
        if alpha[i] < 128:
            index.append(0)
            continue
        colour = tuple(rgb[3 * i:3 * i + 3])
        if colour not in palette:
            palette.append(colour)
        index.append(palette.index(colour))
    assert len(palette) <= colours, (size, colours, len(palette))
    palette += [(0, 0, 0)] * (colours - len(palette))
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bitmaps run bottom-up
        row = index[y * size:(y + 1) * size]
        line = bytearray()
        if bpp == 8:
            line += bytes(row)
        else:
            for x in range(0, size, 2):
                line.append((row[x] << 4) | (row[x + 1] if x + 1 < size else 0))
        xor += line + bytes(row_bytes(bpp, size) - len(line))
        bits = bytearray(row_bytes(1, size))
        for x in range(size):
            if alpha[y * size + x] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0, len(xor) + len(mask), 0, 0, 0, 0)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    images.append((size, colours, bpp, header + colour_table + bytes(xor) + bytes(mask)))

out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, colours, bpp, data in images:
    out += struct.pack("<BBBBHHII", size, size, colours if colours < 256 else 0, 0, 1, bpp, len(data), offset)
    offset += len(data)
out += b"".join(data for *_, data in images)
open("zelvo.ico", "wb").write(out)
PY
echo "made: $(ls zelvo-*.png zelvo.ico | tr '\n' ' ')"
