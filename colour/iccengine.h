// How a browser engine that converts through an ICC profile's sRGB
// primaries paints lab(), lch(), oklab() and oklch(): a few of its bright
// greens land half a step from CSS's own values, so the copied texts are
// checked against this arithmetic too. Checked against Chromium's canvas
// (tests/reference/check_chromium.py): 12,000 OKLab and OKLCH texts and
// 6,000 Lab texts painted as this arithmetic rounds them, but for one Lab
// channel that lay on a half.
#pragma once

#include "matrix.h"

/// The engine's linear sRGB of D65 XYZ: the profile's D50 primaries in
/// 16.16 fixed point, after D65 is adapted to a D50 of 0.96422, 1, 0.82521
/// by Bradford.
TVec3 IccEngineLinearOfXyzD65(const TVec3 &xyz);

/// The engine's linear sRGB of the D50 XYZ that CSS reads from Lab on its
/// own D50: the engine takes Lab on a D50 of 0.9642, 1, 0.8251.
TVec3 IccEngineLinearOfLabXyzD50(const TVec3 &xyz);
