"""Pelto's pictures: the default skin, the program and plug-in icons, the
About box pictures, Moldra's banner and the two sample skins, each drawn from
code. PICTURES lists
every shipped file with the function that writes it."""

import math

from primitives import (MAGENTA, Leaf, coverage, dist_to_segment, draw_text, draw_word,
                        in_rounded_rect, lerp, no_key_colour, outline_of, paint_leaf)
from writers import median_cut, write_bmp24, write_bmp8, write_definition, write_ico

# Palette shared by the skin and the icons.
TEAL_TOP = (104, 176, 170)
TEAL_BOTTOM = (34, 98, 104)
OUTLINE = (18, 58, 64)
HIGHLIGHT = (214, 240, 232)
EMBLEM = (244, 248, 226)
EMBLEM_SHADE = (200, 222, 196)


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
# the About box pictures: banner and sprout, 256 colours (8-bit BMP)
# ---------------------------------------------------------------------------

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


# Every shipped picture: its path in the repository and what writes it there.
PICTURES = [
    ("resources/skin/default.bmp", lambda p: write_bmp24(p, render_skin())),
    ("resources/icons/pelto.ico", build_program_icon),
    ("resources/icons/plugin.ico", build_plugin_icon),
    ("resources/bitmaps/about_banner.bmp", lambda p: write_bmp8(p, render_about_banner())),
    ("resources/bitmaps/about_mascot.bmp", lambda p: write_bmp8(p, render_about_mascot())),
    ("resources/banner/moldra_banner.bmp", lambda p: write_bmp8(p, render_moldra_banner())),
    # The definitions follow the skin file format: bitmap, anchor corner
    # (1 top-left .. 4 bottom-left), normal X and Y, small X and Y, author.
    # mint.skn is the README's example.
    ("resources/skin/mint.bmp", lambda p: write_bmp24(p, render_mint_skin())),
    ("resources/skin/mint.skn", lambda p: write_definition(p, "mint.bmp 2 -265 4 -200 -18 Quorval")),
    ("resources/skin/sakura.bmp", lambda p: write_bmp24(p, render_sakura_skin())),
    ("resources/skin/sakura.skn", lambda p: write_definition(p, "sakura.bmp 3 -56 -56 -52 -52 Quorval")),
]
