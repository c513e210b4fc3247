#!/usr/bin/env python3
"""Draws the program icon, an instrument dial in the 16 VGA colours, from the
one description below: the 32 x 32 pixel art as XPM (the About box and the
window read it), PNGs of 16 to 256 pixels for the desktop, and a scalable SVG.
Run it here after a change; the results are committed."""
import math
import struct
import zlib

W = H = 32
palette = {  # the 16-colour VGA palette, one character each
    '.': 'None', 'k': '#000000', 'b': '#000080', 'g': '#008000', 'c': '#008080',
    'r': '#800000', 'm': '#800080', 'y': '#808000', 'l': '#C0C0C0', 'd': '#808080',
    'B': '#0000FF', 'G': '#00FF00', 'C': '#00FFFF', 'R': '#FF0000', 'M': '#FF00FF',
    'Y': '#FFFF00', 'w': '#FFFFFF',
}
px = [['.'] * W for _ in range(H)]
cx, cy = 15.5, 16.5

for y in range(H):
    for x in range(W):
        d = math.hypot(x - cx, y - cy)
        if d <= 15.5:
            px[y][x] = 'l' if d > 13.5 else 'k'      # silver bezel, black face
# scale ticks from -225 to +45 degrees (a speedometer sweep), red zone at the top end
for i in range(9):
    a = math.radians(225 - i * 33.75)
    for r in (10.5, 11.5, 12.5):
        x = round(cx + r * math.cos(a)); y = round(cy - r * math.sin(a))
        px[y][x] = 'R' if i >= 7 else 'w'
# the needle, yellow, pointing up and to the right
a = math.radians(60)
for t in range(0, 110):
    r = t / 10
    x = round(cx + r * math.cos(a)); y = round(cy - r * math.sin(a))
    px[y][x] = 'Y'
for y in range(15, 19):
    for x in range(14, 18):
        px[y][x] = 'R'                             # hub
# a small amber warning lamp at the bottom: a cluster's trouble light
for y in range(23, 27):
    for x in range(13, 19):
        px[y][x] = 'y' if (y in (23, 26) or x in (13, 18)) else 'Y'

used = sorted({c for row in px for c in row})
with open('vorkel.xpm', 'w') as f:
    f.write('/* XPM */\nstatic const char *vorkel[] = {\n')
    f.write(f'"{W} {H} {len(used)} 1",\n')
    for c in used:
        f.write(f'"{c} c {palette[c]}",\n')
    f.write(',\n'.join(f'"{"".join(row)}"' for row in px))
    f.write('\n};\n')


# The same dial as shapes in the 32-unit square, painted in this order, for the
# other sizes and the SVG. Pixel (x, y) above covers the unit square at (x, y).
CX, CY = cx + 0.5, cy + 0.5
SHAPES = [('circle', CX, CY, 16.0, 'l'), ('circle', CX, CY, 14.0, 'k')]
for i in range(9):
    a = math.radians(225 - i * 33.75)
    SHAPES.append(('line', CX + 10 * math.cos(a), CY - 10 * math.sin(a),
                   CX + 13 * math.cos(a), CY - 13 * math.sin(a), 1.3, 'R' if i >= 7 else 'w'))
a = math.radians(60)
SHAPES.append(('line', CX, CY, CX + 11 * math.cos(a), CY - 11 * math.sin(a), 1.3, 'Y'))
SHAPES.append(('rect', 14, 15, 4, 4, 'R'))
SHAPES.append(('rect', 13, 23, 6, 4, 'y'))
SHAPES.append(('rect', 14, 24, 4, 2, 'Y'))


def segment_distance(px_, py_, x1, y1, x2, y2):
    dx, dy = x2 - x1, y2 - y1
    t = max(0.0, min(1.0, ((px_ - x1) * dx + (py_ - y1) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px_ - (x1 + t * dx), py_ - (y1 + t * dy))


def colour_at(u, v):
    colour = None
    for s in SHAPES:
        kind = s[0]
        if kind == 'circle' and math.hypot(u - s[1], v - s[2]) <= s[3]:
            colour = s[4]
        elif kind == 'line' and segment_distance(u, v, *s[1:5]) <= s[5] / 2:
            colour = s[6]
        elif kind == 'rect' and s[1] <= u < s[1] + s[3] and s[2] <= v < s[2] + s[4]:
            colour = s[5]
    return colour


def rgb(c):
    h = palette[c]
    return int(h[1:3], 16), int(h[3:5], 16), int(h[5:7], 16)


def write_png(path, size, rows):
    raw = b''.join(b'\x00' + bytes(row) for row in rows)
    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n')
        f.write(chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)))
        f.write(chunk(b'IDAT', zlib.compress(raw, 9)))
        f.write(chunk(b'IEND', b''))


def render(size):
    """The shapes at size pixels, 4 x 4 samples a pixel."""
    n = 4
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((x + (sx + 0.5) / n) * 32 / size, (y + (sy + 0.5) / n) * 32 / size)
                    if c:
                        cr, cg, cb = rgb(c)
                        r += cr; g += cg; b += cb; a += 1
            row += [r // a, g // a, b // a, 255 * a // (n * n)] if a else [0, 0, 0, 0]
        rows.append(row)
    return rows


def pixel_art():
    return [[c for x in range(W) for c in ((*rgb(px[y][x]), 255) if px[y][x] != '.' else (0, 0, 0, 0))]
            for y in range(H)]


for size in (16, 24, 32, 48, 64, 128, 256):
    write_png(f'icons/vorkel-{size}.png', size, pixel_art() if size == 32 else render(size))

with open('icons/vorkel.svg', 'w') as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">\n')
    for s in SHAPES:
        if s[0] == 'circle':
            f.write(f'  <circle cx="{s[1]:g}" cy="{s[2]:g}" r="{s[3]:g}" fill="{palette[s[4]]}"/>\n')
        elif s[0] == 'line':
            f.write(f'  <line x1="{s[1]:.3f}" y1="{s[2]:.3f}" x2="{s[3]:.3f}" y2="{s[4]:.3f}" '
                    f'stroke="{palette[s[6]]}" stroke-width="{s[5]:g}" stroke-linecap="round"/>\n')
        else:
            f.write(f'  <rect x="{s[1]:g}" y="{s[2]:g}" width="{s[3]:g}" height="{s[4]:g}" '
                    f'fill="{palette[s[5]]}"/>\n')
    f.write('</svg>\n')
