"""File writers for Pelto's pictures: 24-bit and 8-bit BMP, and icons
(.ico), with a median-cut reduction to a palette."""

import os
import struct

from primitives import clamp8


# ---------------------------------------------------------------------------
# 24-bit BMP
# ---------------------------------------------------------------------------

def write_bmp24(path, pixels):
    """pixels: list of rows (top row first) of (r, g, b) tuples."""
    h = len(pixels)
    w = len(pixels[0])
    row_bytes = (w * 3 + 3) & ~3
    pad = b"\0" * (row_bytes - w * 3)
    data = bytearray()
    for row in reversed(pixels):                      # bottom-up
        for r, g, b in row:
            data += bytes((b, g, r))
        data += pad
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(file_header + info_header + data)


# ---------------------------------------------------------------------------
# ICO writer (one image, palettised, with AND mask)
# ---------------------------------------------------------------------------

def write_ico(path, width, height, bpp, palette, indices, opaque):
    """indices: rows (top first) of palette indices; opaque: rows of bools."""
    ncolors = 1 << bpp
    pal = list(palette) + [(0, 0, 0)] * (ncolors - len(palette))
    assert len(pal) == ncolors
    xor_row = ((width * bpp + 31) // 32) * 4
    and_row = ((width + 31) // 32) * 4

    xor = bytearray()
    for row in reversed(indices):
        bits = bytearray(xor_row)
        for x, idx in enumerate(row):
            if bpp == 8:
                bits[x] = idx
            elif bpp == 4:
                if x % 2 == 0:
                    bits[x // 2] |= idx << 4
                else:
                    bits[x // 2] |= idx
            else:
                raise ValueError("bpp must be 4 or 8")
        xor += bits
    andm = bytearray()
    for row in reversed(opaque):
        bits = bytearray(and_row)
        for x, o in enumerate(row):
            if not o:
                bits[x // 8] |= 0x80 >> (x % 8)
        andm += bits

    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0,
                       len(xor) + len(andm), 0, 0, 0, 0)
    pal_bytes = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    image = info + pal_bytes + bytes(xor) + bytes(andm)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width & 0xFF, height & 0xFF,
                        0 if ncolors >= 256 else ncolors, 0, 1, bpp,
                        len(image), 6 + 16)
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(icondir + entry + image)


def median_cut(colors, limit):
    """colors: dict rgb -> count. Returns (palette, mapping rgb -> palette index)."""
    boxes = [list(colors.items())]
    while len(boxes) < limit:
        best, best_range, best_ch = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_ch = i, rng, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda e: e[0][best_ch])
        total = sum(n for _, n in box)
        acc, cut = 0, 1
        for k, (_, n) in enumerate(box):
            acc += n
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, k + 1))
                break
        boxes.append(box[:cut])
        boxes.append(box[cut:])
    palette, mapping = [], {}
    for box in boxes:
        total = sum(n for _, n in box)
        avg = tuple(clamp8(sum(c[ch] * n for c, n in box) / total) for ch in range(3))
        for c, _ in box:
            mapping[c] = len(palette)
        palette.append(avg)
    return palette, mapping


def write_bmp8(path, pixels):
    """pixels: rows (top first) of RGB tuples, reduced to at most 256 colours."""
    h = len(pixels)
    w = len(pixels[0])
    counts = {}
    for row in pixels:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    palette, mapping = median_cut(counts, 256)
    row_bytes = (w + 3) & ~3
    data = bytearray()
    for row in reversed(pixels):
        data += bytes(mapping[c] for c in row)
        data += b"\0" * (row_bytes - w)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pal += b"\0\0\0\0" * (256 - len(palette))
    header_size = 14 + 40 + 256 * 4
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(file_header + info_header + pal + bytes(data))


def write_definition(path, line):
    """A skin definition: one line, no line end, as the skin maker writes it."""
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(line.encode("ascii"))
