#!/usr/bin/env python3
"""Generate Pelto's binary art files from code.

Writes, relative to the repository root:
    resources/skin/default.bmp   200 x 18, 24-bit BMP, magenta (0xFF00FF) = cut away
    resources/icons/pelto.ico    48 x 48, 8-bit (256 colour) program icon
    resources/icons/plugin.ico   16 x 16, 4-bit (16 colour) plug-in menu icon
    resources/bitmaps/about_banner.bmp  344 x 110, 8-bit (256 colour) About box picture
    resources/bitmaps/about_mascot.bmp  73 x 70, 8-bit (256 colour) About box sprout
    resources/banner/moldra_banner.bmp  400 x 60, 8-bit (256 colour) skin maker banner
    resources/skin/mint.bmp, mint.skn      sample skin: a mint-green tab, 160 x 22
    resources/skin/sakura.bmp, sakura.skn  sample skin: a cherry blossom, 48 x 48

Python 3 standard library only. Run:  python3 scripts/make_art.py
Extra test bitmaps can be written with write_test_bitmap() or
    python3 scripts/make_art.py --test-bitmap out.bmp 64x32 [checker|pill|frame|solid]
"""

import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Palette shared by the skin and the icons.
TEAL_TOP = (104, 176, 170)
TEAL_BOTTOM = (34, 98, 104)
OUTLINE = (18, 58, 64)
HIGHLIGHT = (214, 240, 232)
EMBLEM = (244, 248, 226)
EMBLEM_SHADE = (200, 222, 196)


# ---------------------------------------------------------------------------
# small colour / geometry helpers
# ---------------------------------------------------------------------------

def clamp8(v):
    return max(0, min(255, int(round(v))))


def lerp(a, b, t):
    return tuple(clamp8(a[i] + (b[i] - a[i]) * t) for i in range(3))


def dist_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    L2 = dx * dx + dy * dy
    t = 0.0 if L2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / L2))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


def coverage(inside, x, y, n=5):
    """Fraction of an n x n sub-sample grid of pixel (x, y) for which inside() holds."""
    hit = 0
    for j in range(n):
        for i in range(n):
            if inside(x + (i + 0.5) / n, y + (j + 0.5) / n):
                hit += 1
    return hit / float(n * n)


def in_rounded_rect(px, py, x0, y0, x1, y1, r):
    """Point test for a rectangle [x0,x1] x [y0,y1] with corner radius r."""
    if px < x0 or px > x1 or py < y0 or py > y1:
        return False
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def outline_of(mask, w, h, diagonal=False):
    """Pixels of mask that touch a pixel outside the mask (or the image edge)."""
    steps = [(1, 0), (-1, 0), (0, 1), (0, -1)]
    if diagonal:
        steps += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
    edge = [[False] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if not mask[y][x]:
                continue
            for dx, dy in steps:
                nx, ny = x + dx, y + dy
                if not (0 <= nx < w and 0 <= ny < h) or not mask[ny][nx]:
                    edge[y][x] = True
                    break
    return edge


# ---------------------------------------------------------------------------
# the leaf emblem (shared by skin and icon)
# ---------------------------------------------------------------------------

class Leaf:
    """A leaf pointing up-right at 45 degrees, with a short stem and a midrib.

    (cx, cy) is the middle of the blade, length is the blade length,
    width the widest half-width.
    """

    def __init__(self, cx, cy, length, width, stem, rib=0.55, angle=-45.0,
                 stem_width=1.1, veins=(), pixel_rib=False):
        self.cx, self.cy = cx, cy
        self.pixel_rib = pixel_rib  # rib as a hard one-pixel line (for small sizes)
        self.stem_width = stem_width
        self.veins = veins          # positions (0..1 along the blade) of side-vein pairs
        self.length, self.width, self.stem, self.rib = length, width, stem, rib
        a = math.radians(angle)
        self.ux, self.uy = math.cos(a), math.sin(a)      # along the leaf
        self.vx, self.vy = -self.uy, self.ux             # across the leaf

    def _local(self, px, py):
        dx, dy = px - self.cx, py - self.cy
        u = dx * self.ux + dy * self.uy
        v = dx * self.vx + dy * self.vy
        return u + self.length / 2.0, v        # u = 0 at base, length at tip

    def _half_width(self, u):
        """Circular-arc lens, nudged fuller towards the base."""
        L, W = self.length, self.width
        if u <= 0.0 or u >= L:
            return 0.0
        R = (L * L / 4.0 + W * W) / (2.0 * W)
        t = u / L
        uu = L * (t ** 1.12)                   # shift the widest point towards the base
        return max(0.0, math.sqrt(max(0.0, R * R - (uu - L / 2.0) ** 2)) - (R - W))

    def blade(self, px, py):
        u, v = self._local(px, py)
        return abs(v) <= self._half_width(u)

    def stem_part(self, px, py):
        u, v = self._local(px, py)
        return -self.stem <= u <= 0.6 and abs(v) <= self.stem_width / 2.0

    def shape(self, px, py):
        return self.blade(px, py) or self.stem_part(px, py)

    def midrib(self, px, py):
        u, v = self._local(px, py)
        return 0.12 * self.length <= u <= 0.86 * self.length and abs(v) <= self.rib / 2.0

    def vein(self, px, py):
        u, v = self._local(px, py)
        for t0 in self.veins:
            # side veins leave the midrib and sweep towards the tip
            du = u - t0 * self.length
            if du < 0:
                continue
            reach = 0.68 * self._half_width(u)
            if self.rib / 2.0 < abs(v) <= reach and abs(abs(v) - du * 1.25) <= 0.5:
                return True
        return False

    def lower_half(self, px, py):
        u, v = self._local(px, py)
        return v > 0


def paint_leaf(img, leaf, x0, y0, x1, y1, light, shade, rib_color, ss=6, shadow=None,
               vein_strength=0.45):
    """Composite the leaf over img (rows of RGB tuples) within a pixel box."""
    for y in range(y0, y1):
        for x in range(x0, x1):
            base = img[y][x]
            if shadow is not None:
                sc = coverage(lambda px, py: leaf.shape(px - shadow[0], py - shadow[1]), x, y, ss)
                if sc > 0:
                    base = lerp(base, shadow[2], sc * shadow[3])
            c_all = coverage(leaf.shape, x, y, ss)
            if c_all <= 0:
                img[y][x] = base
                continue
            c_low = coverage(lambda px, py: leaf.shape(px, py) and leaf.lower_half(px, py), x, y, ss)
            if leaf.pixel_rib:
                cpx, cpy = x + 0.5, y + 0.5
                c_rib = c_all if leaf.blade(cpx, cpy) and leaf.midrib(cpx, cpy) else 0.0
            else:
                c_rib = coverage(lambda px, py: leaf.blade(px, py) and leaf.midrib(px, py),
                                 x, y, ss)
            c_vein = 0.0
            if leaf.veins:
                c_vein = coverage(lambda px, py: leaf.blade(px, py) and leaf.vein(px, py)
                                  and not leaf.midrib(px, py), x, y, ss)
            # colour of the covered part: mix of light and shaded halves, then rib
            frac_low = c_low / c_all
            col = lerp(light, shade, frac_low)
            col = lerp(col, rib_color, min(1.0, c_rib / c_all))
            col = lerp(col, rib_color, vein_strength * min(1.0, c_vein / c_all))
            img[y][x] = lerp(base, col, c_all)


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


def write_test_bitmap(path, width, height, pattern="checker", cell=8):
    """Write a 24-bit test BMP.

    pattern: 'checker' - grey checkerboard with magenta cells on the diagonal
             'pill'    - the skin's pill shape at any size (magenta outside)
             'frame'   - 1 px red frame, magenta interior quarter in the middle
             'solid'   - flat grey
    """
    img = [[(128, 128, 128)] * width for _ in range(height)]
    if pattern == "checker":
        for y in range(height):
            for x in range(width):
                cx, cy = x // cell, y // cell
                if cx == cy:
                    img[y][x] = MAGENTA
                elif (cx + cy) % 2:
                    img[y][x] = (200, 200, 200)
                else:
                    img[y][x] = (80, 80, 80)
    elif pattern == "pill":
        img = render_skin(width, height)
    elif pattern == "frame":
        for y in range(height):
            for x in range(width):
                if x in (0, width - 1) or y in (0, height - 1):
                    img[y][x] = (220, 40, 40)
                elif width // 4 <= x < 3 * width // 4 and height // 4 <= y < 3 * height // 4:
                    img[y][x] = MAGENTA
    elif pattern != "solid":
        raise ValueError("unknown pattern: %r" % pattern)
    write_bmp24(path, img)
    return img


# ---------------------------------------------------------------------------
# the skin: a teal pill bar
# ---------------------------------------------------------------------------

def render_skin(w=200, h=18, emblem=True, grip=True):
    r = h / 2.0
    ax, bx, cy = r, w - r, h / 2.0

    def inside(px, py):
        return dist_to_segment(px, py, ax, cy, bx, cy) <= r

    mask = [[inside(x + 0.5, y + 0.5) for x in range(w)] for y in range(h)]
    edge = outline_of(mask, w, h)
    inner = outline_of([[mask[y][x] and not edge[y][x] for x in range(w)] for y in range(h)], w, h)

    img = [[MAGENTA] * w for _ in range(h)]
    for y in range(h):
        t = y / float(h - 1)
        # gentle curve: lighter top third, deeper bottom
        row = lerp(TEAL_TOP, TEAL_BOTTOM, t ** 0.9)
        for x in range(w):
            if not mask[y][x]:
                continue
            if edge[y][x]:
                img[y][x] = OUTLINE
            elif inner[y][x] and y >= h / 2:
                img[y][x] = lerp(row, OUTLINE, 0.25)          # soft lower bevel
            elif inner[y][x]:
                img[y][x] = lerp(row, HIGHLIGHT, 0.14)        # soft upper bevel
            else:
                img[y][x] = row

    # faint highlight line near the top, fading out towards the ends
    hy = 2
    for x in range(w):
        if mask[hy][x] and not edge[hy][x] and not inner[hy][x]:
            d = min(x - r, (w - r) - x)
            fade = max(0.0, min(1.0, d / 24.0))
            img[hy][x] = lerp(img[hy][x], HIGHLIGHT, 0.40 * fade)

    if emblem:
        leaf = Leaf(cx=11.5, cy=8.5, length=13.0, width=3.5, stem=2.4, rib=0.7,
                    pixel_rib=True)
        paint_leaf(img, leaf, 2, 2, 22, h - 2, EMBLEM, EMBLEM_SHADE,
                   lerp(TEAL_BOTTOM, TEAL_TOP, 0.55), ss=6,
                   shadow=(0.7, 0.9, OUTLINE, 0.35))
        # engraved divider after the emblem
        for y in range(5, h - 5):
            img[y][23] = lerp(img[y][23], OUTLINE, 0.55)
            img[y][24] = lerp(img[y][24], HIGHLIGHT, 0.30)

    if grip:
        # three columns of two engraved dots at the right end
        for gx in (w - 22, w - 18, w - 14):
            for gy in (6, 10):
                img[gy][gx] = lerp(img[gy][gx], OUTLINE, 0.7)
                img[gy][gx + 1] = lerp(img[gy][gx + 1], OUTLINE, 0.45)
                img[gy + 1][gx] = lerp(img[gy + 1][gx], OUTLINE, 0.45)
                img[gy + 1][gx + 1] = lerp(img[gy + 1][gx + 1], HIGHLIGHT, 0.35)

    no_key_colour(img, mask)
    return img


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


# ---------------------------------------------------------------------------
# the program icon: leaf on a teal rounded square, 48 x 48, 256 colours
# ---------------------------------------------------------------------------

def render_program_icon(size=48):
    x0, y0, x1, y1, rad = 2.0, 2.0, size - 2.0, size - 2.0, 11.0

    def inside(px, py):
        return in_rounded_rect(px, py, x0, y0, x1, y1, rad)

    # hard edge: the AND mask is 1 bit deep
    mask = [[coverage(inside, x, y, 4) >= 0.5 for x in range(size)] for y in range(size)]
    edge = outline_of(mask, size, size)
    inner = outline_of([[mask[y][x] and not edge[y][x] for x in range(size)]
                        for y in range(size)], size, size)
    img = [[(0, 0, 0)] * size for _ in range(size)]
    for y in range(size):
        t = (y - y0) / (y1 - y0)
        row = lerp(TEAL_TOP, TEAL_BOTTOM, max(0.0, min(1.0, t)) ** 0.9)
        for x in range(size):
            if not mask[y][x]:
                continue
            if edge[y][x]:
                img[y][x] = OUTLINE
            elif inner[y][x]:
                img[y][x] = lerp(row, HIGHLIGHT, 0.35) if y < size / 2 else lerp(row, OUTLINE, 0.3)
            else:
                img[y][x] = row
    # soft gloss across the upper part
    for y in range(4, 7):
        for x in range(size):
            if mask[y][x] and not edge[y][x] and not inner[y][x]:
                d = min(x - x0 - rad + 4, x1 - rad + 4 - x)
                fade = max(0.0, min(1.0, d / 10.0))
                k = (0.30, 0.14, 0.05)[y - 4]
                img[y][x] = lerp(img[y][x], HIGHLIGHT, k * fade)

    leaf = Leaf(cx=size / 2.0 + 1.5, cy=size / 2.0 - 1.5, length=31.0, width=8.4,
                stem=5.5, rib=1.5, stem_width=2.0, veins=(0.28, 0.48, 0.66))
    paint_leaf(img, leaf, 4, 4, size - 4, size - 4, EMBLEM, EMBLEM_SHADE,
               lerp(TEAL_BOTTOM, TEAL_TOP, 0.45), ss=6,
               shadow=(1.2, 1.6, OUTLINE, 0.45))
    return img, mask


def build_program_icon(path):
    img, mask = render_program_icon(48)
    counts = {}
    for y in range(48):
        for x in range(48):
            if mask[y][x]:
                counts[img[y][x]] = counts.get(img[y][x], 0) + 1
    palette, mapping = median_cut(counts, 255)
    palette = [(0, 0, 0)] + palette           # index 0: black, used under the mask
    indices = [[(mapping[img[y][x]] + 1) if mask[y][x] else 0 for x in range(48)]
               for y in range(48)]
    write_ico(path, 48, 48, 8, palette, indices, mask)


# ---------------------------------------------------------------------------
# the plug-in icon: a jigsaw piece, 16 x 16, 16 colours
# ---------------------------------------------------------------------------

PLUGIN_PALETTE = [
    (0, 0, 0),          # 0 transparent (under the mask)
    (18, 58, 64),       # 1 outline
    (30, 92, 98),       # 2 deep
    (48, 124, 126),     # 3 body dark
    (72, 152, 148),     # 4 body
    (104, 178, 168),    # 5 body light
    (160, 212, 198),    # 6 highlight
    (232, 244, 236),    # 7 sparkle
]


# Pixel art, one character per pixel: '.' transparent, digits index PLUGIN_PALETTE.
PLUGIN_ART = [
    "....1111........",
    "...176651.......",
    "...165541.......",
    "....1541........",
    "111115411111....",
    "166665566641....",
    "165555555531....",
    "111555544431.11.",
    "1..1554444311651",
    "...1544444444431",
    "...1544433333321",
    "1..1443333211321",
    "111443333321.11.",
    "143333333321....",
    "132222222221....",
    "111111111111....",
]


def render_plugin_icon():
    """A jigsaw piece: knobs on the top and right, a socket on the left."""
    idx = [[0 if ch == "." else int(ch) for ch in row] for row in PLUGIN_ART]
    mask = [[ch != "." for ch in row] for row in PLUGIN_ART]
    assert len(idx) == 16 and all(len(r) == 16 for r in idx)
    return idx, mask


def build_plugin_icon(path):
    idx, mask = render_plugin_icon()
    write_ico(path, 16, 16, 4, PLUGIN_PALETTE, idx, mask)



# ---------------------------------------------------------------------------
# 8-bit BMP and the About box pictures
# ---------------------------------------------------------------------------

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


# 5 x 7 capitals and small letters for the word mark, one string a row.
GLYPHS = {
    "P": ["1111.", "1...1", "1...1", "1111.", "1....", "1....", "1...."],
    "e": [".....", ".....", ".111.", "1...1", "11111", "1....", ".1111"],
    "l": [".11..", "..1..", "..1..", "..1..", "..1..", "..1..", ".111."],
    "t": ["..1..", "..1..", "11111", "..1..", "..1..", "..1..", "...11"],
    "o": [".....", ".....", ".111.", "1...1", "1...1", "1...1", ".111."],
}


def draw_word(img, word, x0, y0, scale, color, shadow):
    x = x0
    for ch in word:
        glyph = GLYPHS[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit != "1":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        px, py = x + gx * scale + dx, y0 + gy * scale + dy
                        sx, sy = px + 2, py + 2
                        if 0 <= sy < len(img) and 0 <= sx < len(img[0]) and img[sy][sx] != color:
                            img[sy][sx] = lerp(img[sy][sx], shadow, 0.6)
                        img[py][px] = color
        x += 6 * scale


def render_about_banner(w=344, h=110):
    sky_top, sky_low = (222, 240, 236), (150, 204, 196)
    img = [[lerp(sky_top, sky_low, y / float(h - 1)) for _ in range(w)] for y in range(h)]
    # two rolling hills in the skin's teal
    for x in range(w):
        far = 78 + 7 * math.sin(x / 37.0) + 4 * math.sin(x / 13.0 + 1.0)
        near = 90 + 6 * math.sin(x / 51.0 + 2.0)
        for y in range(h):
            if y >= near:
                t = (y - near) / max(1.0, h - near)
                img[y][x] = lerp(TEAL_TOP, TEAL_BOTTOM, min(1.0, 0.3 + t))
            elif y >= far:
                img[y][x] = lerp(lerp(TEAL_TOP, sky_low, 0.45), TEAL_TOP, (y - far) / 20.0)
    # a pale sun behind the leaf
    for y in range(h):
        for x in range(w):
            d = math.hypot(x - 62, y - 44)
            if d < 34:
                img[y][x] = lerp(img[y][x], (252, 250, 226), min(1.0, (34 - d) / 6.0) * 0.85)
    leaf = Leaf(cx=62, cy=50, length=78.0, width=20.0, stem=12.0, rib=2.4, stem_width=3.2,
                veins=(0.22, 0.38, 0.54, 0.70))
    paint_leaf(img, leaf, 8, 4, 120, 106, (92, 170, 120), (46, 120, 92), (226, 244, 210), ss=3,
               shadow=(2.5, 3.0, OUTLINE, 0.35), vein_strength=0.6)
    draw_word(img, "Pelto", 134, 22, 7, OUTLINE, (90, 150, 150))
    # a thin rule and frame
    for x in range(134, 334):
        img[82][x] = lerp(img[82][x], OUTLINE, 0.5)
    for x in range(w):
        img[0][x] = img[h - 1][x] = OUTLINE
    for y in range(h):
        img[y][0] = img[y][w - 1] = OUTLINE
    return img


def render_about_mascot(w=73, h=70):
    """A sprout in a small pot, the program's leaf grown up."""
    bg = (236, 233, 216)
    img = [[bg] * w for _ in range(h)]
    pot_top, pot_bottom = 44, 66
    for y in range(pot_top, pot_bottom):
        t = (y - pot_top) / float(pot_bottom - pot_top)
        half = 17 - 5 * t
        for x in range(w):
            if abs(x + 0.5 - 36.5) <= half:
                edge = abs(x + 0.5 - 36.5) > half - 1.2 or y in (pot_top, pot_bottom - 1)
                img[y][x] = (120, 62, 40) if edge else lerp((206, 120, 80), (150, 80, 52), t)
    for y in range(pot_top, pot_top + 5):
        for x in range(17, 56):
            img[y][x] = (120, 62, 40) if y in (pot_top, pot_top + 4) or x in (17, 55) else (222, 140, 96)
    for y in range(26, pot_top):
        for dx in (0, 1):
            img[y][36 + dx] = (60, 120, 70)
    left = Leaf(cx=24, cy=22, length=28.0, width=8.0, stem=2.0, rib=1.2, angle=-150.0, veins=(0.3, 0.55))
    right = Leaf(cx=49, cy=18, length=32.0, width=9.0, stem=2.0, rib=1.2, angle=-35.0, veins=(0.3, 0.55))
    for leaf in (left, right):
        paint_leaf(img, leaf, 0, 0, w, 44, (120, 196, 120), (64, 140, 90), (210, 240, 200), ss=4,
                   shadow=(1.0, 1.2, (120, 110, 90), 0.3))
    # a friendly face on the pot
    for ex in (30, 43):
        for y in range(52, 55):
            img[y][ex] = img[y][ex + 1] = (60, 30, 20)
    for x in range(32, 43):
        y = 59 - int(round((x - 37.5) ** 2 / 12.0))   # a smile: lowest in the middle
        img[y][x] = (60, 30, 20)
    return img

# ---------------------------------------------------------------------------
# the skin maker's banner: 400 x 60, 256 colours (8-bit BMP)
# ---------------------------------------------------------------------------

# 5 x 7 capitals and lower case for the banner's words; '#' = ink.
BANNER_FONT = {
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "d": ["....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


def draw_text(img, text, x, y, scale, ink, shadow=None, spacing=1):
    """Pixel-font text with its top-left at (x, y); returns the x after it."""
    for ch in text:
        glyph = BANNER_FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, cell in enumerate(row):
                if cell != "#":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        px, py = x + gx * scale + dx, y + gy * scale + dy
                        if shadow is not None and 0 <= py + 1 < len(img) and 0 <= px + 1 < len(img[0]):
                            if img[py + 1][px + 1] != ink:
                                img[py + 1][px + 1] = shadow
                        if 0 <= py < len(img) and 0 <= px < len(img[0]):
                            img[py][px] = ink
        x += (5 + spacing) * scale
    return x


def render_moldra_banner(w=400, h=60):
    """Three skin swatches fanned out like sample cards, the front one with the
    Pelto leaf, beside the plug-in's name on a teal band."""
    img = [[lerp(TEAL_TOP, TEAL_BOTTOM, (y / (h - 1.0)) ** 0.9) for x in range(w)] for y in range(h)]
    # faint diagonal weave across the band
    for y in range(h):
        for x in range(w):
            if (x + y) % 9 == 0:
                img[y][x] = lerp(img[y][x], HIGHLIGHT, 0.10)
    # a light rule under the band
    for x in range(w):
        img[h - 3][x] = lerp(img[h - 3][x], HIGHLIGHT, 0.45)
        img[h - 2][x] = lerp(img[h - 2][x], OUTLINE, 0.55)
        img[h - 1][x] = OUTLINE

    swatches = [((236, 170, 120), -8.0, 10.0), ((150, 196, 234), 6.0, 30.0), ((236, 244, 222), 0.0, 50.0)]
    for colour, tilt, left in swatches:
        a = math.radians(tilt)
        cx, cy = left + 14.0, 28.0

        def inside(px, py, a=a, cx=cx, cy=cy):
            dx, dy = px - cx, py - cy
            u = dx * math.cos(a) + dy * math.sin(a)
            v = -dx * math.sin(a) + dy * math.cos(a)
            return in_rounded_rect(u, v, -13.0, -21.0, 13.0, 21.0, 4.0)

        def shadow_inside(px, py):
            return inside(px - 1.5, py - 2.0)

        for y in range(2, h - 4):
            for x in range(int(left) - 12, int(left) + 42):
                sc = coverage(shadow_inside, x, y, 3)
                if sc > 0:
                    img[y][x] = lerp(img[y][x], OUTLINE, 0.5 * sc)
                c = coverage(inside, x, y, 4)
                if c > 0:
                    shade = lerp(colour, OUTLINE, 0.18 * (y - 7) / 42.0)
                    img[y][x] = lerp(img[y][x], shade, c)
    leaf = Leaf(cx=64.5, cy=28.0, length=30.0, width=8.0, stem=5.0, rib=1.4, stem_width=1.8,
                veins=(0.28, 0.48, 0.66))
    paint_leaf(img, leaf, 48, 6, 84, 52, (96, 168, 120), (58, 122, 92), (214, 240, 200), ss=4)

    x = draw_text(img, "Moldra", 112, 9, 4, EMBLEM, shadow=OUTLINE)
    draw_text(img, "SKIN MAKER FOR PELTO", 114, 44, 1, HIGHLIGHT, spacing=2)
    return img


# ---------------------------------------------------------------------------
# the sample skins shipped in skin\: a bitmap and its one-line definition each
# ---------------------------------------------------------------------------

MINT_TOP = (190, 238, 214)
MINT_BOTTOM = (96, 184, 150)
MINT_OUTLINE = (30, 96, 72)
MINT_LEAF = (246, 252, 240)
MINT_LEAF_SHADE = (206, 234, 214)

SAKURA_LIGHT = (255, 232, 240)
SAKURA_DEEP = (240, 150, 182)
SAKURA_OUTLINE = (150, 54, 96)
SAKURA_HEART = (226, 64, 110)
SAKURA_STAMEN = (250, 214, 96)


def no_key_colour(img, mask):
    """A painted pixel must never be exactly the cut-away colour."""
    for y in range(len(img)):
        for x in range(len(img[0])):
            if mask[y][x] and img[y][x] == MAGENTA:
                img[y][x] = (254, 0, 255)


def render_mint_skin(w=160, h=22):
    """A mint tab with rounded corners and a sprig of two leaves at its left."""
    def inside(px, py):
        return in_rounded_rect(px, py, 0.0, 0.0, w, h, 7.0)

    mask = [[inside(x + 0.5, y + 0.5) for x in range(w)] for y in range(h)]
    edge = outline_of(mask, w, h)
    img = [[MAGENTA] * w for _ in range(h)]
    for y in range(h):
        row = lerp(MINT_TOP, MINT_BOTTOM, y / float(h - 1))
        for x in range(w):
            if edge[y][x]:
                img[y][x] = MINT_OUTLINE
            elif mask[y][x]:
                img[y][x] = lerp(row, MINT_TOP, 0.5) if y == 1 else row
    for leaf in (Leaf(cx=10.0, cy=12.0, length=12.0, width=3.2, stem=2.0, rib=0.7,
                      pixel_rib=True),
                 Leaf(cx=19.0, cy=11.0, length=11.0, width=3.0, stem=2.0, rib=0.7,
                      angle=-135.0, pixel_rib=True)):
        paint_leaf(img, leaf, 2, 2, 28, h - 2, MINT_LEAF, MINT_LEAF_SHADE,
                   lerp(MINT_BOTTOM, MINT_OUTLINE, 0.4), ss=6,
                   shadow=(0.7, 0.9, MINT_OUTLINE, 0.3))
    # a thin engraved line under the sprig's right, as on the default skin
    for y in range(6, h - 6):
        img[y][31] = lerp(img[y][31], MINT_OUTLINE, 0.5)
    no_key_colour(img, mask)
    return img


def render_sakura_skin(size=48):
    """A five-petal cherry blossom; everything around it is cut away."""
    c = size / 2.0
    petal_r = size * 0.2
    petals = [(c + size * 0.26 * math.cos(math.radians(-90 + 72 * i)),
               c + size * 0.26 * math.sin(math.radians(-90 + 72 * i))) for i in range(5)]

    def petal_of(px, py):
        for i, (qx, qy) in enumerate(petals):
            if math.hypot(px - qx, py - qy) <= petal_r:
                # the notch at each petal's tip
                a = math.radians(-90 + 72 * i)
                tx, ty = c + size * 0.46 * math.cos(a), c + size * 0.46 * math.sin(a)
                if math.hypot(px - tx, py - ty) > size * 0.075:
                    return True
        return math.hypot(px - c, py - c) <= size * 0.16

    mask = [[petal_of(x + 0.5, y + 0.5) for x in range(size)] for y in range(size)]
    edge = outline_of(mask, size, size)
    img = [[MAGENTA] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not mask[y][x]:
                continue
            if edge[y][x]:
                img[y][x] = SAKURA_OUTLINE
                continue
            d = math.hypot(x + 0.5 - c, y + 0.5 - c) / (size / 2.0)
            img[y][x] = lerp(SAKURA_DEEP, SAKURA_LIGHT, min(1.0, d * 1.6))
            if d < 0.16:
                img[y][x] = SAKURA_HEART
    # stamens: short strokes with yellow tips around the heart
    for i in range(5):
        a = math.radians(-54 + 72 * i)
        for step in range(2, 6):
            x = int(c + step * math.cos(a))
            y = int(c + step * math.sin(a))
            img[y][x] = SAKURA_HEART if step < 5 else SAKURA_STAMEN
    no_key_colour(img, mask)
    return img


# name: (render, definition). The definitions follow the skin file format:
# bitmap, anchor corner (1 top-left .. 4 bottom-left), normal X and Y, small X
# and Y, author. mint.skn is the README's example.
SAMPLE_SKINS = {
    "mint": (render_mint_skin, "mint.bmp 2 -265 4 -200 -18 Quorval"),
    "sakura": (render_sakura_skin, "sakura.bmp 3 -56 -56 -52 -52 Quorval"),
}


def write_sample_skin(folder, name):
    render, definition = SAMPLE_SKINS[name]
    write_bmp24(os.path.join(folder, name + ".bmp"), render())
    # one line, no line end, as the skin maker writes it
    with open(os.path.join(folder, name + ".skn"), "wb") as f:
        f.write(definition.encode("ascii"))


# ---------------------------------------------------------------------------

def main(argv):
    if len(argv) >= 3 and argv[0] == "--test-bitmap":
        w, h = (int(v) for v in argv[2].lower().split("x"))
        write_test_bitmap(argv[1], w, h, argv[3] if len(argv) > 3 else "checker")
        print("wrote", argv[1])
        return 0
    outputs = [
        (os.path.join(ROOT, "resources", "skin", "default.bmp"),
         lambda p: write_bmp24(p, render_skin())),
        (os.path.join(ROOT, "resources", "icons", "pelto.ico"), build_program_icon),
        (os.path.join(ROOT, "resources", "icons", "plugin.ico"), build_plugin_icon),
        (os.path.join(ROOT, "resources", "bitmaps", "about_banner.bmp"),
         lambda p: write_bmp8(p, render_about_banner())),
        (os.path.join(ROOT, "resources", "bitmaps", "about_mascot.bmp"),
         lambda p: write_bmp8(p, render_about_mascot())),
        (os.path.join(ROOT, "resources", "banner", "moldra_banner.bmp"),
         lambda p: write_bmp8(p, render_moldra_banner())),
    ]
    skin_folder = os.path.join(ROOT, "resources", "skin")
    for name in SAMPLE_SKINS:
        outputs.append((os.path.join(skin_folder, name + ".skn"),
                        lambda p, name=name: write_sample_skin(skin_folder, name)))
    for path, make in outputs:
        make(path)
        print("wrote %s (%d bytes)" % (os.path.relpath(path, ROOT), os.path.getsize(path)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
