#!/usr/bin/env python3
"""Expected tritan rows of tst_cvd, worked out from the published constants
alone by a path of their own: the sRGB matrix derived from the primaries'
and D65's chromaticities, Smith and Pokorny's cone fundamentals, the CIE
1931 colour-matching functions at 485 nm and 660 nm, and for each colour the
line along S intersected with the half-plane (a 3 x 3 solve), the side told
by the ratio M/L against the white's. Prints the rows for the _data() table.
"""
import numpy as np

# sRGB primaries and white (IEC 61966-2-1), as chromaticities x, y.
primaries = np.array([[0.64, 0.33], [0.30, 0.60], [0.15, 0.06]])
white_xy = np.array([0.3127, 0.3290])


def xyz_of(xy):
    return np.array([xy[0] / xy[1], 1.0, (1 - xy[0] - xy[1]) / xy[1]])


columns = np.stack([xyz_of(p) for p in primaries], axis=1)
scale = np.linalg.solve(columns, xyz_of(white_xy))
rgb_to_xyz = columns * scale
# Smith and Pokorny (1975) cone fundamentals from XYZ.
xyz_to_lms = np.array([[0.15514, 0.54312, -0.03286], [-0.15514, 0.45684, 0.03286], [0, 0, 0.01608]])
rgb_to_lms = xyz_to_lms @ rgb_to_xyz
lms_to_rgb = np.linalg.inv(rgb_to_lms)
E = rgb_to_lms @ np.ones(3)
A485 = xyz_to_lms @ np.array([0.05795, 0.1693, 0.6162])
A660 = xyz_to_lms @ np.array([0.1649, 0.061, 0.00001])


def decode(v):
    c = v / 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def encode(c):
    c = min(max(c, 0.0), 1.0)
    v = 12.92 * c if c <= 0.0031308 else 1.055 * c ** (1 / 2.4) - 0.055
    return int(np.floor(v * 255 + 0.5))


def tritan(hex_colour, severity):
    rgb = np.array([decode(int(hex_colour[i:i + 2], 16)) for i in (1, 3, 5)])
    Q = rgb_to_lms @ rgb
    side = lambda p: np.sign(p[1] / p[0] - E[1] / E[0])
    anchor = A485 if side(Q) == side(A485) or side(Q) == 0 else A660
    # Q + t (0, 0, 1) = a E + b anchor
    a, b, t = np.linalg.solve(np.stack([E, anchor, -np.array([0, 0, 1.0])], axis=1), Q)
    seen = np.clip(lms_to_rgb @ (Q + t * np.array([0, 0, 1.0])), 0, 1)
    mixed = (1 - severity) * rgb + severity * seen
    return "#" + "".join(f"{encode(c):02X}" for c in mixed)


for colour, severity in [("#FF0000", 1), ("#00FF00", 1), ("#0000FF", 1), ("#FFFF00", 1), ("#00FFFF", 1),
                         ("#FF00FF", 1), ("#808080", 1), ("#3366CC", 1), ("#C86432", 1), ("#2A9D8F", 1),
                         ("#0000FF", 0.5), ("#FF00FF", 0.25), ("#3366CC", 0.7)]:
    print(f'    row("{colour} at {severity}", "{colour}", {severity}, "{tritan(colour, severity)}");')
