// hsl() and hwb(): the hue circle of sRGB, in doubles for CSS texts and in
// integers for the window's read-outs (THsl, ColorToHsl and HslToColor in
// colour.h), both from the same sextant rule.
#pragma once

#include "srgb.h"

/// hsl() and hwb() as sRGB components: hue in degrees (any value, taken
/// modulo 360), the others in per cent.
TRgb HslToRgb(double hue, double saturation, double lightness);
TRgb HwbToRgb(double hue, double whiteness, double blackness);
/// The hsl() and hwb() components of sRGB components; greys have hue 0.
TVec3 RgbToHsl(const TRgb &rgb);
TVec3 RgbToHwb(const TRgb &rgb);
