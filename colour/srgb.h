// sRGB: its transfer curve, its 8-bit channels and its way to CIE XYZ. The
// one place each of these is written; every other module calls here.
#pragma once

#include "colour.h"
#include "matrix.h"

/// sRGB components as CSS writes them, 0 .. 1 inside the gamut.
using TRgb = TVec3;

/// The sRGB transfer function and its inverse, extended to negative values
/// by reflection as CSS does.
double SrgbToLinear(double value);
double LinearToSrgb(double value);

/// SrgbToLinear(n / 255) of an 8-bit channel 0 .. 255, from a table.
double LinearOfChannel(int channel);
/// The colour's three channels in linear light (the top byte is ignored).
TVec3 ColorToLinear(TColor color);

/// A value on the 0 .. 255 scale rounded to the nearest of 0 .. 255,
/// halves up, and so is what lies within `margin` below a half; NaN and
/// what is not above 0 give 0, what is above 255 gives 255.
int RoundToByte(double value, double margin = 0);

/// The colour's sRGB components, each 0 .. 1 (the top byte is ignored).
TRgb ColorToRgb(TColor color);
/// The 8-bit colour nearest to in-gamut sRGB components: each clamped to
/// 0 .. 1 and rounded to the nearest of 0 .. 255, halves (and what lies
/// within 1e-5 of a half) up.
TColor RgbToColor(const TRgb &rgb);

/// Linear sRGB to CIE XYZ relative to D65, by the matrix CSS Color 4
/// publishes as exact fractions, and back.
inline constexpr TMatrix3 LinearSrgbToXyzMatrix = {
    506752.0 / 1228815, 87881.0 / 245763, 12673.0 / 70218,
    87098.0 / 409605, 175762.0 / 245763, 12673.0 / 175545,
    7918.0 / 409605, 87881.0 / 737289, 1001167.0 / 1053270};
inline constexpr TMatrix3 XyzToLinearSrgbMatrix = {
    12831.0 / 3959, -329.0 / 214, -1974.0 / 3959,
    -851781.0 / 878810, 1648619.0 / 878810, 36519.0 / 878810,
    705.0 / 12673, -2585.0 / 12673, 705.0 / 667};
TVec3 LinearSrgbToXyz(const TVec3 &rgb);
TVec3 XyzToLinearSrgb(const TVec3 &xyz);
