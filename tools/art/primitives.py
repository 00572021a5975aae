"""Drawing primitives for Pelto's pictures: colour and geometry helpers,
anti-aliased coverage, the leaf emblem, and two small pixel fonts.

Python 3 standard library only; every result is deterministic, so the pictures
come out byte for byte the same on every run."""

import math

MAGENTA = (255, 0, 255)   # the skin's colour key: cut out of the window


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


def no_key_colour(img, mask):
    """A painted pixel must never be exactly the cut-away colour."""
    for y in range(len(img)):
        for x in range(len(img[0])):
            if mask[y][x] and img[y][x] == MAGENTA:
                img[y][x] = (254, 0, 255)
