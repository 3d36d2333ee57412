#!/usr/bin/env python3
"""Draws Timbus's pictures and icons.

Writes, into the output directory (default: the assets/ folder next to src/):
  monitor.bmp    405x390, 24-bit bottom-up BMP: the main window's picture
  calendar.ico   one 16x16 256-colour image: the window and exe icon
  about.ico      16, 32 and 48 px, 24-bit with AND masks: the About icon
  computer.ico   one 33x32 24-bit opaque image: the About window's picture
and PNG previews of each into --previews (default: docs/art/).

The BMP and ICO bytes are laid out here by hand with struct, so every header
field is exactly what the program and its tests expect.  Everything is drawn
from code; the only randomness is a fixed-seed generator, so the output is the
same on every run.
"""

import argparse
import colorsys
import math
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter

# ---------------------------------------------------------------------------
# Small utilities
# ---------------------------------------------------------------------------


class Rng:
    """xorshift32: tiny, fixed and independent of Python's own generator."""

    def __init__(self, seed):
        self.state = (seed * 2654435761 + 0x9E3779B9) & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def byte(self):
        return self.next() >> 24


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c0, c1, t):
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c0, c1))


def ramp(stops, t):
    """Colour at t in [0,1] along a list of (position, colour) stops."""
    t = clamp(t)
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0.0)
    return stops[-1][1]


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def noise(size, cells, seed):
    """Smooth value noise: a grid of random bytes blown up bicubically."""
    cw, ch = max(2, cells[0]), max(2, cells[1])
    rng = Rng(seed)
    small = Image.new("L", (cw, ch))
    small.putdata([rng.byte() for _ in range(cw * ch)])
    return small.resize(size, Image.BICUBIC)


def noise_values(size, cells, seed):
    return [v / 255.0 for v in noise(size, cells, seed).getdata()]


# ---------------------------------------------------------------------------
# The main window's picture: a wood-cased monitor on a desk
# ---------------------------------------------------------------------------

W, H = 405, 390     # size of the picture
S = 4               # drawn this many times larger, then scaled down

# Places that the program relies on (1x pixels, right/bottom exclusive).
SCREEN = (50, 40, 286, 241)       # the glass
BEZEL = (37, 25, 299, 254)
CABINET = (14, 4, 316, 296)       # front face of the wooden case
SIDE_W = 9                        # visible depth of its right side
PANEL = (37, 260, 299, 289)       # control strip below the bezel
HORIZON = 272                     # where the desk meets the wall


def sx(v):
    return int(round(v * S))


def sbox(b):
    x0, y0, x1, y1 = b
    return (sx(x0), sx(y0), sx(x1) - 1, sx(y1) - 1)


def new_mask():
    return Image.new("L", (W * S, H * S), 0)


def rrect_mask(b, r):
    m = new_mask()
    ImageDraw.Draw(m).rounded_rectangle(sbox(b), radius=sx(r), fill=255)
    return m


def ellipse_mask(cx, cy, rx, ry):
    m = new_mask()
    ImageDraw.Draw(m).ellipse(sbox((cx - rx, cy - ry, cx + rx, cy + ry)), fill=255)
    return m


def poly_mask(points):
    m = new_mask()
    ImageDraw.Draw(m).polygon([(sx(x), sx(y)) for x, y in points], fill=255)
    return m


def shifted(mask, dx, dy):
    out = new_mask()
    out.paste(mask, (sx(dx), sx(dy)))
    return out


def blur(mask, radius):
    return mask.filter(ImageFilter.GaussianBlur(radius * S))


def scale_mask(mask, k):
    return mask.point(lambda v: int(v * k))


def intersect(a, b):
    return ImageChops.multiply(a, b)


def minus(a, b):
    return ImageChops.subtract(a, b)


def paint(canvas, fill, mask, opacity=1.0):
    if opacity < 1.0:
        mask = scale_mask(mask, opacity)
    canvas.paste(fill, (0, 0), mask)


def vgrad(stops, y0=0, y1=H):
    """Full-size image whose colour runs down the stops from y0 to y1 (1x)."""
    strip = Image.new("RGB", (1, H * S))
    a, b = sx(y0), sx(y1)
    strip.putdata([ramp(stops, (y - a) / max(1, b - a)) for y in range(H * S)])
    return strip.resize((W * S, H * S), Image.NEAREST)


def hgrad(stops, x0=0, x1=W):
    strip = Image.new("RGB", (W * S, 1))
    a, b = sx(x0), sx(x1)
    strip.putdata([ramp(stops, (x - a) / max(1, b - a)) for x in range(W * S)])
    return strip.resize((W * S, H * S), Image.NEAREST)


def field(b, fn, step=1.0):
    """Full-size RGB image; inside box b (1x) each pixel is fn(u, v) with
    u, v running 0..1 across the box. Evaluated every `step` 1x pixels and
    smoothly enlarged, which is plenty for soft gradients."""
    x0, y0, x1, y1 = b
    w = max(2, int(round((x1 - x0) / step)))
    h = max(2, int(round((y1 - y0) / step)))
    img = Image.new("RGB", (w, h))
    img.putdata([fn((i + 0.5) / w, (j + 0.5) / h) for j in range(h) for i in range(w)])
    img = img.resize((sx(x1) - sx(x0), sx(y1) - sx(y0)), Image.BICUBIC)
    out = Image.new("RGB", (W * S, H * S))
    out.paste(img, (sx(x0), sx(y0)))
    return out


def bevel(canvas, mask, width, light=(255, 246, 226), dark=(30, 16, 8),
          hi=0.5, lo=0.5, soft=None, inset=False):
    """Light from the upper left: brighten the upper-left rim of `mask` and
    darken its lower-right rim. With inset=True the shape reads as a hollow
    (dark on top, light below)."""
    soft = width * 0.8 if soft is None else soft
    top_left = minus(mask, shifted(mask, width, width))
    bottom_right = minus(mask, shifted(mask, -width, -width))
    if inset:
        top_left, bottom_right = bottom_right, top_left
    top_left = intersect(blur(top_left, soft), mask)
    bottom_right = intersect(blur(bottom_right, soft), mask)
    paint(canvas, light, top_left, hi)
    paint(canvas, dark, bottom_right, lo)


def wood(b, seed, base_scale=2):
    """Warm wood grain running horizontally across box b; returns a full-size
    RGB image (black outside b)."""
    x0, y0, x1, y1 = b
    w, h = (x1 - x0) * base_scale, (y1 - y0) * base_scale
    swirl = noise_values((w, h), (3, 5), seed)
    warp = noise_values((w, h), (4, 26), seed + 1)
    fibre = noise_values((w, h), (max(2, w // 70), h // 2), seed + 2)
    pores = noise_values((w, h), (w // 3, h // 2), seed + 3)
    rings = 15.0
    stops = [(0.0, (104, 54, 24)), (0.35, (146, 82, 38)),
             (0.7, (178, 110, 56)), (1.0, (204, 140, 78))]
    px = []
    for j in range(h):
        yy = j / h
        for i in range(w):
            k = j * w + i
            xx = i / w
            # Rings bend with the slow swirl and a gentle arch, like a flat-sawn
            # veneer sheet.
            t = (yy * rings + warp[k] * 2.2 + swirl[k] * 3.0
                 + 0.9 * math.sin(xx * 5.1 + swirl[k] * 2.0)) * 2 * math.pi
            s = 0.5 + 0.5 * math.sin(t)
            line = s ** 8                       # thin dark late-wood lines
            band = 0.5 + 0.5 * math.sin(t * 0.5 + 1.3)
            v = (0.62 + 0.22 * band - 0.42 * line
                 + 0.22 * (fibre[k] - 0.5) + 0.10 * (pores[k] - 0.5))
            px.append(ramp(stops, v))
    img = Image.new("RGB", (w, h))
    img.putdata(px)
    img = img.resize((sx(x1) - sx(x0), sx(y1) - sx(y0)), Image.BICUBIC)
    out = Image.new("RGB", (W * S, H * S))
    out.paste(img, (sx(x0), sx(y0)))
    return out


def draw_wall(canvas):
    # Soft vertical stripes: wide cream, narrow pale blue, a fine pinstripe.
    wall = Image.new("RGB", (W * S, H * S), (246, 239, 222))
    d = ImageDraw.Draw(wall)
    period = 18
    for k in range(-1, W // period + 2):
        x = k * period
        d.rectangle(sbox((x + 11, 0, x + 18, H)), fill=(222, 229, 232))
        d.rectangle(sbox((x + 14.25, 0, x + 14.75, H)), fill=(206, 214, 222))
        d.rectangle(sbox((x + 4.5, 0, x + 5.0, H)), fill=(236, 226, 204))
    wall = wall.filter(ImageFilter.GaussianBlur(0.9 * S))
    # A faint mottle so it reads as paper, not paint.
    mottle = noise((W * S, H * S), (W // 10, H // 10), 71)
    wall = Image.composite(wall, ImageChops.multiply(wall, Image.new("RGB", wall.size, (248, 245, 240))), mottle)
    # Light comes from the upper left.
    light = field((0, 0, W, H), lambda u, v: tuple(
        int(255 - 26 * clamp(0.55 * u + 0.75 * v - 0.15)) for _ in range(3)), step=8)
    wall = ImageChops.multiply(wall, light)
    canvas.paste(wall, (0, 0), rrect_mask((0, 0, W, HORIZON + 6), 0))


def draw_desk(canvas):
    desk = vgrad([(0.0, (104, 136, 190)), (0.12, (84, 118, 178)),
                  (1.0, (46, 76, 142))], HORIZON, H)
    grain = noise((W * S, H * S), (W, H), 81)
    desk = Image.composite(desk, ImageChops.multiply(desk, Image.new("RGB", desk.size, (238, 240, 246))), grain)
    # A broad soft sheen from the window on the left.
    sheen = new_mask()
    ImageDraw.Draw(sheen).ellipse(sbox((-120, HORIZON - 10, 190, H + 40)), fill=255)
    sheen = blur(sheen, 40)
    paint(desk, (170, 196, 236), sheen, 0.22)
    m = rrect_mask((0, HORIZON, W, H), 0)
    canvas.paste(desk, (0, 0), m)
    # The desk's back edge catches the light.
    paint(canvas, (150, 178, 220), rrect_mask((0, HORIZON, W, HORIZON + 1.2), 0), 0.9)
    # Shade where the wall meets the desk.
    contact = blur(rrect_mask((0, HORIZON - 3, W, HORIZON), 0), 3)
    paint(canvas, (60, 50, 40), intersect(contact, rrect_mask((0, 0, W, HORIZON), 0)), 0.35)


def cabinet_masks():
    front = rrect_mask(CABINET, 22)
    x0, y0, x1, y1 = CABINET
    # The right side, seen a little from the right: the front outline swept
    # back and shrinking slightly as it recedes.
    side = new_mask()
    d = ImageDraw.Draw(side)
    t = 0.0
    while t <= SIDE_W:
        d.rounded_rectangle(sbox((x0 + t, y0 + t * 0.45, x1 + t, y1 - t * 0.3)), radius=sx(22), fill=255)
        t += 0.25
    side = minus(side, front)
    return front, side


def draw_shadows(canvas, front, side):
    body = ImageChops.lighter(front, side)
    # Cast on the wall, down and to the right.
    wall_sh = blur(shifted(body, 10, 5), 9)
    wall_only = rrect_mask((0, 0, W, HORIZON), 0)
    paint(canvas, (92, 72, 52), intersect(wall_sh, wall_only), 0.42)
    # Soft pool on the desk under the stand.
    pool = blur(ellipse_mask(170, 304, 170, 14), 7)
    paint(canvas, (14, 26, 60), pool, 0.55)


def draw_stand(canvas):
    # A low dark plinth the cabinet sits on: a lit top and a front face.
    top = poly_mask([(66, 290), (270, 290), (276, 298.5), (60, 298.5)])
    face = poly_mask([(60, 298), (276, 298), (282, 306), (54, 306)])
    paint(canvas, vgrad([(0, (84, 76, 70)), (1, (112, 102, 94))], 290, 298.5), top)
    paint(canvas, vgrad([(0, (62, 56, 52)), (1, (26, 24, 23))], 298, 306), face)
    paint(canvas, (170, 158, 146), intersect(face, rrect_mask((0, 298, W, 299), 0)), 0.5)


def draw_cabinet(canvas, front, side):
    x0, y0, x1, y1 = CABINET
    grain = wood((x0, y0, x1 + SIDE_W, y1), 11)
    paint(canvas, grain, front)
    # Side: the same wood, in shade.
    side_wood = ImageChops.multiply(grain, Image.new("RGB", grain.size, (150, 132, 120)))
    paint(canvas, side_wood, side)
    side_light = hgrad([(0, (0, 0, 0)), (1, (255, 255, 255))], x1 - 4, x1 + SIDE_W)
    paint(canvas, (40, 22, 12), intersect(side, side_light.convert("L")), 0.35)
    # Rounded, polished edges.
    bevel(canvas, front, 3.5, hi=0.55, lo=0.55)
    bevel(canvas, front, 1.2, light=(255, 240, 210), hi=0.45, lo=0.3)
    # Broad light from above-left over the whole face, darker towards the floor.
    shade = field(CABINET, lambda u, v: tuple(
        int(255 - 70 * clamp(0.35 * u + 0.9 * v - 0.2) ** 1.3) for _ in range(3)), step=6)
    shaded = ImageChops.multiply(canvas, shade)
    canvas.paste(shaded, (0, 0), front)
    # A long varnish gleam along the top rail.
    gleam = blur(rrect_mask((34, 9, 240, 13), 2), 2.5)
    paint(canvas, (255, 236, 200), intersect(gleam, front), 0.35)
    gleam2 = blur(rrect_mask((18, 40, 22, 200), 2), 2.5)
    paint(canvas, (255, 236, 200), intersect(gleam2, front), 0.25)


def draw_groove(canvas, b, r, width=2.0):
    """A routed groove around b, cut into the wood."""
    x0, y0, x1, y1 = b
    outer = rrect_mask((x0 - width, y0 - width, x1 + width, y1 + width), r + width)
    ring = minus(outer, rrect_mask(b, r))
    paint(canvas, (46, 24, 10), ring, 0.85)
    # The lower and right lip of the cut catches light.
    lip = minus(rrect_mask((x0 - width + 0.8, y0 - width + 0.8, x1 + width + 1.0, y1 + width + 1.0), r + width),
                outer)
    paint(canvas, (236, 184, 122), lip, 0.5)


def draw_bezel(canvas):
    bez = rrect_mask(BEZEL, 20)
    draw_groove(canvas, BEZEL, 20, 2.2)
    paint(canvas, vgrad([(0, (58, 54, 52)), (0.5, (40, 37, 36)), (1, (28, 26, 26))],
                        BEZEL[1], BEZEL[3]), bez)
    # The bezel bows in towards the glass: light on its outer top-left,
    # a dark dip near the glass, and a bright lip where it meets the tube.
    bevel(canvas, bez, 4, light=(170, 164, 158), dark=(8, 8, 8), hi=0.45, lo=0.5, soft=3.5)
    hollow = rrect_mask((SCREEN[0] - 5, SCREEN[1] - 5, SCREEN[2] + 5, SCREEN[3] + 5), 17)
    bevel(canvas, hollow, 4, light=(150, 146, 142), dark=(6, 6, 6), hi=0.4, lo=0.6,
          soft=2.5, inset=True)


def glass_colour(u, v):
    # Dark slate glass, a little lighter in the middle, darker at the rim.
    du, dv = (u - 0.5) * 2, (v - 0.45) * 2
    d = math.sqrt(du * du * 0.9 + dv * dv)
    base = ramp([(0.0, (62, 80, 88)), (0.6, (44, 58, 66)), (1.0, (20, 27, 32)),
                 (1.45, (8, 12, 14))], d / 1.45)
    return base


def draw_screen(canvas):
    glass = rrect_mask(SCREEN, 16)
    paint(canvas, field(SCREEN, glass_colour, step=2), glass)
    # The bezel's shadow falls on the glass along the top and left.
    rim = minus(glass, shifted(glass, 3, 4))
    paint(canvas, (0, 0, 0), intersect(blur(rim, 4), glass), 0.75)
    # The tube bulges: a thin line of light just inside the lower-right rim.
    low = minus(glass, shifted(glass, -1.5, -1.5))
    paint(canvas, (120, 150, 160), intersect(blur(low, 1.2), glass), 0.35)
    # Window reflection: a soft broad sheet across the upper left...
    sheet = poly_mask([(SCREEN[0] - 10, SCREEN[1] - 10), (170, SCREEN[1] - 10),
                       (SCREEN[0] - 10, 160)])
    sheet = intersect(blur(sheet, 14), glass)
    paint(canvas, (200, 226, 236), sheet, 0.22)
    # ...a curved glint following the top-left corner, thickest at its middle...
    x0, y0 = SCREEN[0] + 5, SCREEN[1] + 5
    outer = ellipse_mask(x0 + 70, y0 + 78, 70, 78)
    crescent = minus(outer, shifted(outer, 2.2, 2.4))
    fade = blur(ellipse_mask(x0 + 16, y0 + 16, 26, 26), 10)
    glint = intersect(intersect(blur(crescent, 0.7), fade), glass)
    paint(canvas, (240, 250, 255), glint, 0.8)
    # ...and a faint diagonal band in the lower right.
    band = poly_mask([(200, SCREEN[3] + 10), (232, SCREEN[3] + 10),
                      (SCREEN[2] + 10, 168), (SCREEN[2] + 10, 136)])
    paint(canvas, (170, 200, 214), intersect(blur(band, 5), glass), 0.13)


def draw_panel(canvas):
    x0, y0, x1, y1 = PANEL
    panel = rrect_mask(PANEL, 6)
    draw_groove(canvas, PANEL, 6, 1.4)
    paint(canvas, vgrad([(0, (40, 34, 30)), (1, (58, 50, 44))], y0, y1), panel)
    bevel(canvas, panel, 2.5, light=(10, 8, 6), dark=(150, 130, 110), hi=0.7, lo=0.35, inset=False)
    # Speaker grille: a field of small round holes.
    holes = new_mask()
    hd = ImageDraw.Draw(holes)
    for row in range(6):
        yy = y0 + 5.0 + row * 3.6
        offs = 1.8 if row % 2 else 0.0
        xx = x0 + 9 + offs
        while xx < x0 + 138:
            hd.ellipse(sbox((xx - 1.05, yy - 1.05, xx + 1.05, yy + 1.05)), fill=255)
            xx += 3.6
    paint(canvas, (6, 5, 4), holes, 0.95)
    # Each hole's lower lip catches a little light.
    paint(canvas, (130, 112, 96), minus(shifted(holes, 0, 0.9), holes), 0.25)
    # Power LED, glowing green.
    lx, ly = x0 + 160, (y0 + y1) / 2
    glow = blur(ellipse_mask(lx, ly, 4.5, 4.5), 2.5)
    paint(canvas, (80, 255, 120), glow, 0.35)
    paint(canvas, (40, 190, 70), ellipse_mask(lx, ly, 2.1, 2.1))
    paint(canvas, (210, 255, 220), ellipse_mask(lx - 0.6, ly - 0.7, 0.8, 0.8), 0.9)
    # Two knobs.
    for kx in (x0 + 190, x0 + 218):
        draw_knob(canvas, kx, ly, 9.0)
    # Power button: a little rounded rocker.
    pb = (x1 - 27, ly - 5, x1 - 10, ly + 5)
    pbm = rrect_mask(pb, 2.5)
    paint(canvas, (20, 18, 16), blur(shifted(pbm, 0.8, 1.2), 1.0), 0.8)
    paint(canvas, vgrad([(0, (120, 114, 108)), (1, (60, 56, 52))], pb[1], pb[3]), pbm)
    bevel(canvas, pbm, 1.2, light=(230, 224, 216), dark=(20, 18, 16), hi=0.6, lo=0.5, soft=0.6)


def draw_knob(canvas, cx, cy, r):
    paint(canvas, (8, 6, 4), blur(ellipse_mask(cx + 1.0, cy + 1.6, r, r), 1.4), 0.8)
    body = ellipse_mask(cx, cy, r, r)
    # Knurled dark skirt.
    paint(canvas, (36, 33, 31), body)
    teeth = new_mask()
    td = ImageDraw.Draw(teeth)
    for k in range(36):
        a = k * 2 * math.pi / 36
        td.line([(sx(cx + math.cos(a) * (r - 2.2)), sx(cy + math.sin(a) * (r - 2.2))),
                 (sx(cx + math.cos(a) * r), sx(cy + math.sin(a) * r))], fill=255, width=sx(0.55))
    paint(canvas, (86, 80, 76), intersect(teeth, body), 0.7)
    bevel(canvas, body, 1.5, light=(200, 194, 188), dark=(0, 0, 0), hi=0.5, lo=0.6, soft=1.0)
    # Brushed-metal cap.
    cap = ellipse_mask(cx, cy, r - 2.6, r - 2.6)

    def metal(u, v):
        du, dv = u - 0.5, v - 0.5
        a = math.atan2(dv, du)
        t = 0.55 + 0.25 * math.cos(2 * (a + 0.8)) - 0.25 * (du + dv)
        return ramp([(0, (92, 90, 88)), (0.5, (170, 168, 164)), (1, (238, 236, 232))], t)

    paint(canvas, field((cx - r, cy - r, cx + r, cy + r), metal, step=0.25), cap)
    bevel(canvas, cap, 0.8, light=(255, 255, 255), dark=(40, 40, 40), hi=0.5, lo=0.5, soft=0.5)
    # Pointer.
    ptr = new_mask()
    ImageDraw.Draw(ptr).line([(sx(cx), sx(cy)), (sx(cx - 3.6), sx(cy - 4.2))], fill=255, width=sx(1.0))
    paint(canvas, (30, 28, 26), ptr, 0.9)


# --- keyboard ---------------------------------------------------------------

KB_FAR_Y, KB_NEAR_Y = 314.0, 371.0
KB_FAR_X = (44.0, 250.0)
KB_NEAR_X = (28.0, 262.0)
KB_DEPTH = 6.0          # front face height at the near edge


def kb_point(u, v):
    """Keyboard-top coordinates (u, v in 0..1, v from far to near) to picture."""
    vv = v * (0.86 + 0.14 * v)   # rows get a little deeper towards us
    y = lerp(KB_FAR_Y, KB_NEAR_Y, vv)
    xl = lerp(KB_FAR_X[0], KB_NEAR_X[0], v)
    xr = lerp(KB_FAR_X[1], KB_NEAR_X[1], v)
    return (lerp(xl, xr, u), y)


def kb_keys():
    """Yields (u0, v0, u1, v1, grey) for every key, as fractions of the
    keyboard's width and depth, then ("led", u, v) for the status lights."""
    width_u, depth_u = 20.6, 7.3
    rows = [
        [1, -0.6, 1, 1, 1, 1, -0.5, 1, 1, 1, 1, -0.5, 1, 1, 1, 1],
        [1] * 13 + [2],
        [1.5] + [1] * 12 + [1.5],
        [1.75] + [1] * 11 + [2.25],
        [2.25] + [1] * 10 + [2.75],
        [1.5, 1, 1.5, 7, 1.5, 1, 1.5],
    ]
    grey_key = {(1, 13), (2, 0), (3, 0), (3, 12), (4, 0), (4, 11), (5, 0), (5, 1),
                (5, 2), (5, 4), (5, 5), (5, 6), (0, 0)}
    gap = 0.12
    y = 0.45
    for r, row in enumerate(rows):
        x = 0.45
        for c, wdt in enumerate(row):
            if wdt < 0:
                x += -wdt
                continue
            yield ((x + gap) / width_u, (y + gap) / depth_u,
                   (x + wdt - gap) / width_u, (y + 1 - gap) / depth_u,
                   (r, c) in grey_key)
            x += wdt
        y += 1.25 if r == 0 else 1.0
    # Numeric pad.
    y = 1.7
    for r in range(5):
        for c in range(4):
            if (c == 3 and r in (2, 4)) or (r == 4 and c == 1):
                continue        # covered by the tall keys and the wide 0
            tall = c == 3 and r in (1, 3)
            wide = r == 4 and c == 0
            x = 15.7 + c
            yield ((x + gap) / width_u, (y + r + gap) / depth_u,
                   (x + (2 if wide else 1) - gap) / width_u,
                   (y + r + (2 if tall else 1) - gap) / depth_u, c == 3 or wide)
    # Three status lights above the pad.
    for c in range(3):
        yield ("led", (15.9 + c * 1.2 + 0.4) / width_u, 0.85 / depth_u)


def draw_keyboard(canvas):
    corners = [kb_point(0, 0), kb_point(1, 0), kb_point(1, 1), kb_point(0, 1)]
    top = poly_mask(corners)
    (nlx, nly), (nrx, nry) = corners[3], corners[2]
    front = poly_mask([(nlx, nly - 1), (nrx, nry - 1), (nrx - 1.2, nry + KB_DEPTH),
                       (nlx + 1.2, nly + KB_DEPTH)])
    body = ImageChops.lighter(top, front)
    # Shadow on the mat.
    paint(canvas, (10, 20, 50), blur(shifted(body, 3, 4), 4), 0.55)
    # Cable curling back under the monitor.
    cable = new_mask()
    cx, cy = kb_point(0.38, 0)
    ImageDraw.Draw(cable).line([(sx(x), sx(y)) for x, y in
                                [(cx, cy), (cx + 2, cy - 4), (cx + 14, cy - 7), (cx + 30, cy - 8),
                                 (cx + 40, cy - 10)]],
                               fill=255, width=sx(2.2), joint="curve")
    paint(canvas, (34, 34, 38), cable)
    # Plastic case.
    paint(canvas, vgrad([(0, (150, 146, 136)), (1, (118, 114, 106))], nly - 1, nly + KB_DEPTH), front)
    paint(canvas, vgrad([(0, (206, 202, 190)), (1, (226, 222, 210))], KB_FAR_Y, KB_NEAR_Y), top)
    bevel(canvas, top, 1.0, light=(250, 248, 240), dark=(120, 116, 106), hi=0.6, lo=0.4, soft=0.6)
    # Keys: a darker skirt, then the lighter cap set back and up.
    for k in kb_keys():
        if k[0] == "led":
            _, u, v = k
            x, y = kb_point(u, v)
            paint(canvas, (60, 200, 90) if u < 0.8 else (70, 74, 70), ellipse_mask(x, y, 1.0, 0.6))
            continue
        u0, v0, u1, v1, grey_key = k
        quad = [kb_point(u0, v0), kb_point(u1, v0), kb_point(u1, v1), kb_point(u0, v1)]
        skirt_col = (150, 146, 136) if grey_key else (172, 168, 158)
        cap_col_far = (206, 202, 192) if grey_key else (236, 233, 224)
        cap_col_near = (190, 186, 176) if grey_key else (224, 220, 210)
        paint(canvas, skirt_col, poly_mask(quad))
        du = (u1 - u0) * 0.14
        dv = (v1 - v0) * 0.16
        cap = [kb_point(u0 + du, v0 + dv * 0.2), kb_point(u1 - du, v0 + dv * 0.2),
               kb_point(u1 - du, v1 - dv * 1.6), kb_point(u0 + du, v1 - dv * 1.6)]
        cap = [(x, y - 1.0) for x, y in cap]
        cm = poly_mask(cap)
        ys = [p[1] for p in cap]
        paint(canvas, vgrad([(0, cap_col_far), (1, cap_col_near)], min(ys), max(ys)), cm)
    # The whole top is lit from the upper left.
    light = field((0, KB_FAR_Y, W, KB_NEAR_Y + KB_DEPTH), lambda u, v: tuple(
        int(255 - 40 * clamp(1.5 * u - 0.2)) for _ in range(3)), step=6)
    canvas.paste(ImageChops.multiply(canvas, light), (0, 0), body)


# --- compact discs ------------------------------------------------------------

TILT = 0.56    # how flat a circle on the desk looks


def disc_tile(rx, seed_angle=0.0, inset=False):
    """RGBA tile (at S) of a compact disc lying flat, radius rx (1x)."""
    ry = rx * TILT
    w, h = int(math.ceil(2 * rx * S)) + 2, int(math.ceil(2 * ry * S)) + 2
    cx, cy = w / 2, h / 2
    px = []
    for j in range(h):
        for i in range(w):
            u = (i + 0.5 - cx) / (rx * S)
            v = (j + 0.5 - cy) / (ry * S)
            r = math.sqrt(u * u + v * v)
            if r > 1.0:
                px.append((0, 0, 0, 0))
                continue
            a = math.atan2(v, u) + seed_angle
            if r < 0.15:
                px.append((0, 0, 0, 0))           # the hole
                continue
            if r < 0.33:
                # Clear polycarbonate hub with a stacking ring.
                ring = 1.0 if 0.24 < r < 0.26 else 0.0
                c = mix((196, 204, 214), (238, 242, 246), 0.5 + 0.5 * math.cos(a - 2.4))
                c = mix(c, (150, 158, 170), ring * 0.6)
                px.append(c + (150 if not ring else 200,))
                continue
            # Data area: mirror silver with rainbow sheen in two opposite fans.
            silver = mix((170, 176, 186), (236, 238, 242), 0.5 + 0.5 * math.cos(a + 0.7))
            fan = abs(math.cos(a - 0.9)) ** 6
            hue = (r * 1.6 + (a / math.pi) * 0.5 + 0.15) % 1.0
            rainbow = hsv(hue, 0.75, 1.0)
            c = mix(silver, rainbow, 0.65 * fan)
            spark = abs(math.cos(a + 2.3)) ** 40
            c = mix(c, (255, 255, 255), 0.7 * spark)
            if r > 0.965:
                c = mix(c, (120, 126, 136), 0.7)       # rim
            elif r < 0.36:
                c = mix(c, (210, 214, 222), 0.6)       # mirror band inside data
            px.append(c + (255,))
    img = Image.new("RGBA", (w, h))
    img.putdata(px)
    return img


def hsv(h, s, v):
    r, g, b = colorsys.hsv_to_rgb(h, s, v)
    return (int(r * 255), int(g * 255), int(b * 255))


def put_tile(canvas, tile, cx, cy):
    x = int(round(cx * S - tile.width / 2))
    y = int(round(cy * S - tile.height / 2))
    canvas.paste(tile, (x, y), tile)


def draw_disc(canvas, cx, cy, rx, angle):
    ry = rx * TILT
    paint(canvas, (8, 16, 44), blur(ellipse_mask(cx + 2.0, cy + 2.5, rx, ry), 2.2), 0.5)
    put_tile(canvas, disc_tile(rx, angle), cx, cy)


def draw_case(canvas, cx, cy, half, angle):
    """A jewel case lying flat, rotated by angle, with a disc inside."""
    def corner(px, py):
        ca, sa = math.cos(angle), math.sin(angle)
        return (cx + px * ca - py * sa, cy + (px * sa + py * ca) * TILT)

    hx, hy = half * 1.07, half
    quad = [corner(-hx, -hy), corner(hx, -hy), corner(hx, hy), corner(-hx, hy)]
    top = poly_mask(quad)
    thick = 3.2
    low = poly_mask([(x, y + thick) for x, y in quad])
    paint(canvas, (8, 16, 44), blur(shifted(low, 2.5, 2.5), 2.5), 0.5)
    sides = minus(ImageChops.lighter(low, top), top)
    paint(canvas, (104, 118, 140), low)
    paint(canvas, (170, 180, 196), sides, 0.6)
    # Black tray under the clear lid.
    inner = [corner(-hx * 0.78, -hy * 0.9), corner(hx * 0.92, -hy * 0.9),
             corner(hx * 0.92, hy * 0.9), corner(-hx * 0.78, hy * 0.9)]
    paint(canvas, (44, 52, 66), top)
    paint(canvas, (18, 18, 22), poly_mask(inner))
    dcx, dcy = corner(hx * 0.07, 0)
    put_tile(canvas, disc_tile(half * 0.8, 1.1), dcx, dcy)
    # Hinge strip along the left edge, with ribs.
    hinge = [corner(-hx, -hy), corner(-hx * 0.84, -hy), corner(-hx * 0.84, hy), corner(-hx, hy)]
    paint(canvas, (150, 162, 182), poly_mask(hinge), 0.85)
    for k in range(1, 9):
        t = -hy + 2 * hy * k / 9
        rib = new_mask()
        a, b = corner(-hx * 0.98, t), corner(-hx * 0.86, t)
        ImageDraw.Draw(rib).line([(sx(a[0]), sx(a[1])), (sx(b[0]), sx(b[1]))], fill=255, width=sx(0.6))
        paint(canvas, (90, 100, 120), rib, 0.8)
    # Clear lid: faint tint, a sheen, crisp edges.
    paint(canvas, (200, 214, 236), top, 0.10)
    streak = poly_mask([corner(-hx * 0.6, -hy), corner(-hx * 0.2, -hy),
                        corner(hx * 0.4, hy), corner(0.0, hy)])
    paint(canvas, (255, 255, 255), intersect(blur(streak, 2.0), top), 0.28)
    edge = minus(top, poly_mask([corner(-hx + 0.9, -hy + 0.9), corner(hx - 0.9, -hy + 0.9),
                                 corner(hx - 0.9, hy - 0.9), corner(-hx + 0.9, hy - 0.9)]))
    paint(canvas, (230, 238, 250), edge, 0.7)


def draw_monitor_picture():
    canvas = Image.new("RGB", (W * S, H * S), (0, 0, 0))
    draw_wall(canvas)
    draw_desk(canvas)
    front, side = cabinet_masks()
    draw_shadows(canvas, front, side)
    draw_stand(canvas)
    draw_cabinet(canvas, front, side)
    draw_bezel(canvas)
    draw_screen(canvas)
    draw_panel(canvas)
    draw_case(canvas, 306, 330, 34, -0.22)
    draw_disc(canvas, 292, 368, 27, 0.4)
    draw_keyboard(canvas)
    draw_disc(canvas, 336, 380, 24, 2.0)
    return canvas.resize((W, H), Image.LANCZOS)


# ---------------------------------------------------------------------------
# File layouts
# ---------------------------------------------------------------------------


def bmp24_bytes(img):
    """Windows BMP, BITMAPINFOHEADER, 24 bpp, rows bottom-up, 4-byte aligned."""
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    raw = img.tobytes("raw", "BGR")
    pad = b"\0" * (stride - w * 3)
    pixels = b"".join(raw[y * w * 3:(y + 1) * w * 3] + pad for y in range(h - 1, -1, -1))
    offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    return file_header + info + pixels


def and_mask_bytes(opaque, w, h):
    """1-bit AND mask, bottom-up, rows padded to 4 bytes; 1 = transparent."""
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if not opaque[y * w + x]:
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def icon_image_24(img):
    """One icon image: BITMAPINFOHEADER + 24-bit XOR bitmap + AND mask.
    `img` is RGBA; alpha >= 128 counts as opaque."""
    img = img.convert("RGBA")
    w, h = img.size
    px = list(img.getdata())
    opaque = [p[3] >= 128 for p in px]
    stride = (w * 3 + 3) & ~3
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, _ = px[y * w + x]
            row += bytes((b, g, r)) if opaque[y * w + x] else b"\0\0\0"
        row += b"\0" * (stride - w * 3)
        xor += row
    mask = and_mask_bytes(opaque, w, h)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return (w, h, 0, 24), header + bytes(xor) + mask


def icon_image_8(img):
    """One icon image with a 256-entry palette and 8-bit XOR bitmap."""
    img = img.convert("RGBA")
    w, h = img.size
    px = list(img.getdata())
    opaque = [p[3] >= 128 for p in px]
    colours = sorted({p[:3] for p, o in zip(px, opaque) if o})
    palette = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    if len(palette) > 256:
        raise ValueError("too many colours for a 256-colour icon: %d" % len(palette))
    index = {c: i for i, c in enumerate(palette)}
    palette += [(0, 0, 0)] * (256 - len(palette))
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = (w + 3) & ~3
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if opaque[y * w + x]:
                row[x] = index[px[y * w + x][:3]]
        xor += row
    mask = and_mask_bytes(opaque, w, h)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 8, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return (w, h, 0, 8), header + pal + bytes(xor) + mask


def ico_bytes(images):
    """ICONDIR + ICONDIRENTRYs + the images, back to back."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (w, h, colours, bits), data in images:
        out += struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


# ---------------------------------------------------------------------------
# Icons
# ---------------------------------------------------------------------------


def calendar_icon():
    """16x16: a tiny monitor with a blue gradient screen."""
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rectangle((0, 1, 15, 12), fill=(24, 24, 28, 255))          # frame
    d.rectangle((1, 2, 14, 11), fill=(70, 70, 78, 255))
    top, bottom = (150, 200, 255), (12, 44, 150)
    for y in range(3, 11):
        c = mix(top, bottom, (y - 3) / 7)
        d.line((2, y, 13, y), fill=c + (255,))
    d.point((3, 4), fill=(230, 244, 255, 255))                    # glint
    d.line((4, 3, 6, 3), fill=(200, 228, 255, 255))
    d.line((3, 3, 3, 5), fill=(200, 228, 255, 255))
    d.line((1, 2, 14, 2), fill=(110, 110, 120, 255))              # lit top edge
    d.rectangle((6, 13, 9, 13), fill=(60, 60, 66, 255))           # neck
    d.rectangle((3, 14, 12, 15), fill=(24, 24, 28, 255))          # foot
    d.line((4, 14, 11, 14), fill=(96, 96, 104, 255))
    return img


def gear_points(cx, cy, r_out, r_in, teeth, rot, tip=0.42, root=0.62):
    """Outline of a gear wheel: `teeth` flat-topped teeth; tip and root are
    the share of each tooth's pitch that its top and its foot span."""
    pts = []
    pitch = 2 * math.pi / teeth
    for i in range(teeth):
        a = rot + i * pitch
        for ang, r in ((a - root * pitch / 2, r_in), (a - tip * pitch / 2, r_out),
                       (a + tip * pitch / 2, r_out), (a + root * pitch / 2, r_in)):
            pts.append((cx + r * math.cos(ang), cy + r * math.sin(ang)))
        for k in range(1, 4):
            ang = a + root * pitch / 2 + k * pitch * (1 - root) / 4
            pts.append((cx + r_in * math.cos(ang), cy + r_in * math.sin(ang)))
    return pts


class PixelShape:
    """A shape snapped to the icon's pixel grid: drawn 8x larger, then each
    pixel is in when at least half of it is covered. Gives crisp 1-px edges
    at any icon size."""

    K = 8

    def __init__(self, n, scale, draw):
        big = Image.new("L", (n * self.K, n * self.K), 0)
        draw(ImageDraw.Draw(big), lambda v: v * scale * self.K)
        small = big.resize((n, n), Image.BOX)
        self.n = n
        self.on = [v >= 128 for v in small.getdata()]

    def __contains__(self, xy):
        x, y = xy
        return 0 <= x < self.n and 0 <= y < self.n and self.on[y * self.n + x]

    def edge(self, x, y):
        """In the shape, with a 4-neighbour outside it."""
        return (x, y) in self and any((x + dx, y + dy) not in self
                                      for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))


class GridShape(PixelShape):
    """A shape placed by hand on the pixel grid: '#' marks a pixel."""

    def __init__(self, n, rows, left, top):
        self.n = n
        self.on = [False] * (n * n)
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch == "#":
                    self.on[(top + j) * n + left + i] = True


# At 16 px a computed gear turns to mush, so that one is placed by hand.
GEAR_16 = [
    "....##....",
    ".#.####.#.",
    ".########.",
    ".###..###.",
    "###....###",
    "###....###",
    ".###..###.",
    ".########.",
    ".#.####.#.",
    "....##....",
]

# The gear of the larger About icons, in 16ths of the icon's side, per size,
# so each gets its own proportions rather than being a scaled copy of another.
ABOUT_GEOMETRY = {
    # centre x, y, tip radius, root radius, hole radius, hub radius
    32: dict(gear=(11.1, 11.1, 4.8, 3.7, 1.15, 2.55), teeth=8, rot=0.2, tip=0.42, root=0.62),
    48: dict(gear=(11.1, 11.1, 4.75, 3.75, 1.1, 2.6), teeth=9, rot=0.1, tip=0.42, root=0.62),
}


def folder_gear(n):
    """A pale blue folder with a grey-green gear in front of its lower right."""
    sc = n / 16.0

    def poly(points):
        return lambda d, f: d.polygon([(f(x), f(y)) for x, y in points], fill=255)

    def rect(x0, y0, x1, y1):
        return lambda d, f: d.rectangle((f(x0), f(y0), f(x1) - 1, f(y1) - 1), fill=255)

    def disc(r):
        return lambda d, f: d.ellipse((f(gcx - r), f(gcy - r), f(gcx + r) - 1, f(gcy + r) - 1), fill=255)

    if n in ABOUT_GEOMETRY:
        g = ABOUT_GEOMETRY[n]
        gcx, gcy, r_out, r_in, r_hole, r_hub = g["gear"]

    back = PixelShape(n, sc, poly([(0, 1.5), (5.6, 1.5), (7.0, 3.0), (15.0, 3.0),
                                   (15.0, 13.5), (0, 13.5)]))
    paper = PixelShape(n, sc, rect(1.8, 4.0, 13.4, 9.0))
    front = PixelShape(n, sc, poly([(0, 5.5), (15.0, 5.5), (15.0, 14.0), (0, 14.0)]))
    if n not in ABOUT_GEOMETRY:
        gear = GridShape(n, GEAR_16, n - 10, n - 10)    # the hole is part of the grid
        hub = hole = GridShape(n, [], 0, 0)
    else:
        gear = PixelShape(n, sc, poly(gear_points(gcx, gcy, r_out, r_in, g["teeth"], g["rot"],
                                                  g["tip"], g["root"])))
        hub = PixelShape(n, sc, disc(r_hub))
        hole = PixelShape(n, sc, disc(r_hole))

    outline = (44, 84, 134)
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    top_y = min(y for y in range(n) for x in range(n) if (x, y) in front)
    bottom_y = max(y for y in range(n) for x in range(n) if (x, y) in front)
    for y in range(n):
        for x in range(n):
            c = None
            if (x, y) in back:
                c = outline if back.edge(x, y) else (150, 188, 228)
                if not back.edge(x, y) and y < 3.0 * sc + 1:
                    c = (184, 212, 240)                         # the tab
            if (x, y) in paper and (x, y) not in front:
                c = (150, 150, 146) if paper.edge(x, y) else (252, 252, 248)
            if (x, y) in front:
                if front.edge(x, y):
                    c = outline
                else:
                    t = (y - top_y) / max(1, bottom_y - top_y)
                    c = mix((208, 230, 250), (140, 184, 230), t)
                    if y == top_y + 1:
                        c = (240, 248, 255)
                    elif (x == 1 and y > top_y) or y == bottom_y - 1:
                        c = mix(c, (110, 150, 200), 0.35 if x == 1 else 0.5)
            if n == 16 and (x, y) in gear:
                # Too small for a full outline: dark below right, lit above left.
                if (x + 1, y) not in gear or (x, y + 1) not in gear:
                    c = (58, 76, 64)
                elif (x - 1, y) not in gear or (x, y - 1) not in gear:
                    c = (194, 208, 194)
                else:
                    c = (134, 154, 138)
            elif (x, y) in gear and (x, y) not in hole:
                if gear.edge(x, y) or hole.edge(x + 1, y) or hole.edge(x - 1, y) \
                        or hole.edge(x, y + 1) or hole.edge(x, y - 1):
                    c = (46, 60, 52)
                else:
                    px, py = (x + 0.5) / sc - gcx, (y + 0.5) / sc - gcy
                    t = clamp(0.5 + (px + py) / (2.6 * r_out))
                    c = mix((196, 212, 196), (104, 126, 110), t)
                    if hub.edge(x, y):
                        # The raised hub: its rim dark below right, light above left.
                        c = (84, 104, 90) if px + py > 0 else (214, 226, 212)
            if c is not None:
                img.putpixel((x, y), c + (255,))
    return img



def computer_picture():
    """33x32, fully opaque: a monitor with a light blue screen and a tower."""
    bg = (240, 240, 240)
    img = Image.new("RGB", (33, 32), bg)
    d = ImageDraw.Draw(img)
    dark = (40, 40, 44)
    # Soft floor shadow.
    d.rectangle((3, 29, 31, 30), fill=(222, 222, 222))
    # Monitor.
    d.rectangle((1, 3, 21, 20), fill=dark)                          # outline
    d.rectangle((2, 4, 20, 19), fill=(206, 204, 196))               # case
    d.line((2, 4, 20, 4), fill=(236, 234, 228))
    d.line((2, 4, 2, 19), fill=(236, 234, 228))
    d.line((3, 19, 20, 19), fill=(160, 158, 150))
    d.rectangle((4, 6, 18, 16), fill=(96, 96, 100))                 # screen recess
    for y in range(7, 16):
        c = mix((196, 228, 252), (120, 178, 232), (y - 7) / 8)
        d.line((5, y, 17, y), fill=c)
    d.line((6, 8, 9, 8), fill=(244, 250, 255))                      # glint
    d.point((6, 9), fill=(232, 244, 255))
    d.point((17, 18), fill=(60, 190, 80))                           # LED
    d.rectangle((9, 20, 13, 22), fill=(150, 148, 140))              # neck
    d.line((9, 21, 13, 21), fill=(120, 118, 112))
    d.rectangle((5, 23, 17, 25), fill=dark)                         # foot
    d.rectangle((6, 23, 16, 24), fill=(190, 188, 180))
    # Keyboard.
    d.rectangle((2, 26, 19, 28), fill=dark)
    d.rectangle((3, 26, 18, 27), fill=(214, 212, 204))
    for x in range(4, 18, 2):
        d.point((x, 27), fill=(150, 148, 140))
    # Tower.
    d.rectangle((23, 4, 31, 28), fill=(22, 22, 26))                 # outline
    d.rectangle((24, 5, 30, 27), fill=(66, 68, 76))
    d.line((24, 5, 24, 27), fill=(98, 100, 110))
    d.line((24, 5, 30, 5), fill=(98, 100, 110))
    d.rectangle((25, 7, 29, 8), fill=(30, 30, 34))                  # drive bays
    d.line((25, 7, 29, 7), fill=(120, 122, 132))
    d.rectangle((25, 10, 29, 11), fill=(30, 30, 34))
    d.line((25, 10, 29, 10), fill=(120, 122, 132))
    d.line((26, 14, 28, 14), fill=(20, 20, 22))                     # floppy slot
    d.point((27, 23), fill=(120, 230, 120))                         # power light
    d.point((27, 25), fill=(150, 152, 160))                         # button
    return img


# ---------------------------------------------------------------------------
# Previews and main
# ---------------------------------------------------------------------------


def preview_icon(images, scale=8):
    """Icon images side by side on a checkerboard, enlarged."""
    pad = 4
    w = sum(i.width for i in images) * scale + pad * (len(images) + 1)
    h = max(i.height for i in images) * scale + 2 * pad
    out = Image.new("RGB", (w, h), (255, 255, 255))
    d = ImageDraw.Draw(out)
    for y in range(0, h, 8):
        for x in range(0, w, 8):
            if (x // 8 + y // 8) % 2:
                d.rectangle((x, y, x + 7, y + 7), fill=(214, 214, 214))
    x = pad
    for im in images:
        big = im.convert("RGBA").resize((im.width * scale, im.height * scale), Image.NEAREST)
        out.paste(big, (x, pad), big)
        x += big.width + pad
    return out


def preview_in_window(picture):
    """What the main window shows: the left 349 columns, with stand-ins for
    the month calendar and the button drawn over it."""
    view = picture.crop((0, 0, 349, H)).convert("RGB")
    d = ImageDraw.Draw(view)
    d.rectangle((80, 56, 80 + 166 - 1, 56 + 158 - 1), fill=(236, 236, 236), outline=(120, 120, 120))
    d.rectangle((264, 0, 352, 16), fill=(225, 225, 225), outline=(110, 110, 110))
    return view


def quantised_icon(img):
    """The 16px icon after the same alpha threshold the ICO uses."""
    img = img.convert("RGBA")
    px = [p if p[3] >= 128 else (0, 0, 0, 0) for p in img.getdata()]
    out = Image.new("RGBA", img.size)
    out.putdata([(r, g, b, 255) if a else (0, 0, 0, 0) for r, g, b, a in px])
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(os.path.dirname(here))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(root, "assets"))
    ap.add_argument("--previews", default=os.path.join(root, "docs", "art"))
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    os.makedirs(args.previews, exist_ok=True)

    def write(name, data):
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)

    def preview(name, img):
        img.save(os.path.join(args.previews, name), optimize=False)

    picture = draw_monitor_picture()
    write("monitor.bmp", bmp24_bytes(picture))
    preview("monitor.png", picture)
    preview("monitor-2x.png", picture.resize((W * 2, H * 2), Image.NEAREST))
    preview("monitor-in-window.png", preview_in_window(picture))

    cal = calendar_icon()
    write("calendar.ico", ico_bytes([icon_image_8(cal)]))
    preview("calendar-ico.png", preview_icon([quantised_icon(cal)], 12))

    about = [folder_gear(16), folder_gear(32), folder_gear(48)]
    write("about.ico", ico_bytes([icon_image_24(i) for i in about]))
    preview("about-ico.png", preview_icon([quantised_icon(i) for i in about], 6))

    comp = computer_picture().convert("RGBA")
    write("computer.ico", ico_bytes([icon_image_24(comp)]))
    preview("computer-ico.png", preview_icon([comp], 10))


if __name__ == "__main__":
    main()
