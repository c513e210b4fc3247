#!/usr/bin/env python3
"""Draws the program icon: a 32 x 32 instrument dial in the 16 VGA colours,
written as XPM (text, read by Qt directly). Run once; the result is committed."""
import math

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
