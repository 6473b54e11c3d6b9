#!/usr/bin/env python3
"""Draws the program's icon (qbvrico.ico) and the about-box logo (logo.bmp).

The motif: a lens with a metal rim, a small landscape picture tilted inside
the glass, and an orange arrow turning clockwise around it - the program
shows pictures and turns them.  Everything is plain Python (no imaging
library), so the pictures can be redrawn on any machine:

    python3 resources/draw_art.py            # rewrites the two files
    python3 resources/draw_art.py --png DIR  # also writes PNG previews to DIR

The committed .ico and .bmp are what the build uses; run this only after
changing the drawing.  Shapes are described in unit coordinates (0..1 over
the picture, y downwards) and sampled SS x SS times per pixel for smooth
edges.
"""

import math
import os
import struct
import subprocess
import sys

SS = 4  # samples per pixel along each axis

ORANGE_A = (0.98, 0.62, 0.20)
ORANGE_B = (0.86, 0.30, 0.10)
RIM_DARK = (0.20, 0.27, 0.36)
RIM_LIGHT = (0.62, 0.70, 0.80)
GLASS = (0.86, 0.92, 0.97)
SKY_TOP = (0.35, 0.62, 0.92)
SKY_LOW = (0.74, 0.87, 0.98)
SUN = (1.00, 0.84, 0.25)
HILL_NEAR = (0.27, 0.62, 0.25)
HILL_FAR = (0.50, 0.75, 0.38)
FRAME = (1.0, 1.0, 1.0)
BACK_TOP = (0.95, 0.97, 1.00)
BACK_LOW = (0.80, 0.87, 0.95)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def over(dst, src, alpha):
    """Source colour with coverage alpha over an RGBA destination."""
    r, g, b, a = dst
    out_a = alpha + a * (1.0 - alpha)
    if out_a <= 0.0:
        return (0.0, 0.0, 0.0, 0.0)
    k = a * (1.0 - alpha)
    return (tuple((s * alpha + d * k) / out_a for s, d in zip(src, (r, g, b))) + (out_a,))


def in_triangle(p, a, b, c):
    def side(p1, p2, p3):
        return (p1[0] - p3[0]) * (p2[1] - p3[1]) - (p2[0] - p3[0]) * (p1[1] - p3[1])
    d1, d2, d3 = side(p, a, b), side(p, b, c), side(p, c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def polar(r, degrees):
    t = math.radians(degrees)
    return (0.5 + r * math.cos(t), 0.5 + r * math.sin(t))


class Motif:
    """The drawing at one size; small sizes get bolder, simpler shapes."""

    def __init__(self, size, background):
        self.background = background
        small = size <= 16
        self.ring_mid = 0.405 if small else 0.415
        self.ring_half = 0.075 if small else 0.048
        self.arc_from, self.arc_to = 135.0, 395.0   # clockwise on screen
        self.head_len = 34.0 if small else 30.0       # degrees of arc
        self.head_half = self.ring_half * (2.0 if small else 2.1)
        self.rim_out = 0.31 if small else 0.305
        self.rim_in = 0.23 if small else 0.262
        self.picture = not small
        self.tilt = math.radians(-18.0)
        self.head = (polar(self.ring_mid - self.head_half, self.arc_to),
                     polar(self.ring_mid + self.head_half, self.arc_to),
                     polar(self.ring_mid, self.arc_to + self.head_len))

    def sample(self, x, y):
        if self.background:
            colour = (mix(BACK_TOP, BACK_LOW, y) + (1.0,))
        else:
            colour = (0.0, 0.0, 0.0, 0.0)
        dx, dy = x - 0.5, y - 0.5
        r = math.hypot(dx, dy)
        ang = math.degrees(math.atan2(dy, dx)) % 360.0

        # the turning arrow: a ring segment and its head
        a = ang if ang >= self.arc_from else ang + 360.0
        if abs(r - self.ring_mid) <= self.ring_half and self.arc_from <= a <= self.arc_to:
            t = (a - self.arc_from) / (self.arc_to - self.arc_from)
            colour = over(colour, mix(ORANGE_A, ORANGE_B, t), 1.0)
        elif in_triangle((x, y), *self.head):
            colour = over(colour, ORANGE_B, 1.0)

        # the lens: metal rim lit from the upper left, then the glass
        if r <= self.rim_out:
            light = 0.5 + 0.5 * ((-dx - dy) / (r * math.sqrt(2.0)) if r > 0 else 0.0)
            if r > self.rim_in:
                colour = over(colour, mix(RIM_DARK, RIM_LIGHT, light), 1.0)
            else:
                colour = over(colour, self.glass(dx, dy), 1.0)
                # gloss: a soft white crescent near the upper left edge
                gx, gy = dx + 0.09, dy + 0.10
                g = (gx / 0.15) ** 2 + (gy / 0.08) ** 2
                if g < 1.0 and r < self.rim_in * 0.92:
                    colour = over(colour, (1.0, 1.0, 1.0), 0.45 * (1.0 - g))
        return colour

    def glass(self, dx, dy):
        if not self.picture:
            # too small for the landscape: keep its two colours, sky over grass
            return HILL_NEAR if dy > 0.04 - 0.3 * dx else mix(SKY_TOP, SKY_LOW, 0.6 + dy * 3.0)
        # the tilted picture: turn the point back into the picture's frame
        c, s = math.cos(-self.tilt), math.sin(-self.tilt)
        px, py = dx * c - dy * s, dx * s + dy * c
        half, border = 0.165, 0.022
        if abs(px) > half or abs(py) > half * 0.8:
            return mix(GLASS, (0.76, 0.85, 0.94), 0.5 + dy * 2.0)
        if abs(px) > half - border or abs(py) > half * 0.8 - border:
            return FRAME
        u = (px + half) / (2 * half)
        v = (py + half * 0.8) / (2 * half * 0.8)
        if math.hypot(u - 0.70, v - 0.30) < 0.13:
            return SUN
        if v > 0.62 + 0.10 * math.sin(u * 5.0 + 1.0):
            return HILL_NEAR
        if v > 0.50 + 0.12 * math.sin(u * 3.2 + 2.5):
            return HILL_FAR
        return mix(SKY_TOP, SKY_LOW, v * 1.4)


def render(size, background):
    """Rows of (r, g, b, a) bytes, top row first."""
    motif = Motif(size, background)
    rows = []
    for j in range(size):
        row = []
        for i in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sj in range(SS):
                for si in range(SS):
                    r, g, b, a = motif.sample((i + (si + 0.5) / SS) / size,
                                              (j + (sj + 0.5) / SS) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [round(255 * acc[k] / acc[3]) for k in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(255 * alpha)))
        rows.append(row)
    return rows


def bmp24(rows):
    """An uncompressed bottom-up 24-bit BMP file."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def icon_image(rows):
    """One icon image: 32-bit BGRA DIB (double height) plus its AND mask."""
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    png_dir = argv[argv.index('--png') + 1] if '--png' in argv else None

    logo = bmp24(render(153, background=True))
    with open(os.path.join(here, 'logo.bmp'), 'wb') as f:
        f.write(logo)
    images = [(s, icon_image(render(s, background=False))) for s in (16, 32, 48)]
    with open(os.path.join(here, 'qbvrico.ico'), 'wb') as f:
        f.write(ico(images))

    if png_dir:
        os.makedirs(png_dir, exist_ok=True)
        subprocess.run(['/usr/bin/convert', os.path.join(here, 'logo.bmp'),
                        os.path.join(png_dir, 'logo.png')], check=True)
        subprocess.run(['/usr/bin/convert', os.path.join(here, 'qbvrico.ico'),
                        os.path.join(png_dir, 'qbvrico.png')], check=True)


if __name__ == '__main__':
    main(sys.argv[1:])
