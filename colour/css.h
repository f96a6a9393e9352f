// The colour spaces of CSS Color 4 and the way from each of them to an
// 8-bit sRGB colour, gamut mapping included. Pure functions on doubles.
#pragma once

#include "colour.h"

/// Three components of one colour space, in that space's own units.
struct TVec3
{
    double X;
    double Y;
    double Z;
};

/// sRGB components as CSS writes them, 0 .. 1 inside the gamut.
using TRgb = TVec3;

/// The sRGB transfer function and its inverse, extended to negative values
/// by reflection as CSS does.
double SrgbToLinear(double value);
double LinearToSrgb(double value);

/// The colour's sRGB components, each 0 .. 1 (the top byte is ignored).
TRgb ColorToRgb(TColor color);
/// The 8-bit colour nearest to in-gamut sRGB components: each clamped to
/// 0 .. 1 and rounded to the nearest of 0 .. 255, halves (and what lies
/// within 1e-5 of a half) up.
TColor RgbToColor(const TRgb &rgb);

// Linear sRGB, the other RGB spaces and CIE XYZ, by the matrices that
// CSS Color 4 publishes. XYZ is relative to D65 unless it says D50.
TVec3 LinearSrgbToXyz(const TVec3 &rgb);
TVec3 XyzToLinearSrgb(const TVec3 &xyz);
TVec3 XyzD65ToD50(const TVec3 &xyz);   ///< Bradford
TVec3 XyzD50ToD65(const TVec3 &xyz);   ///< Bradford
TVec3 DisplayP3ToXyz(const TVec3 &rgb);
TVec3 A98RgbToXyz(const TVec3 &rgb);
TVec3 ProphotoRgbToXyzD50(const TVec3 &rgb);
TVec3 Rec2020ToXyz(const TVec3 &rgb);

/// CIE Lab relative to D50 (L 0 .. 100) and back.
TVec3 XyzD50ToLab(const TVec3 &xyz);
TVec3 LabToXyzD50(const TVec3 &lab);
/// OKLab (L 0 .. 1) from D65 XYZ and back.
TVec3 XyzToOklab(const TVec3 &xyz);
TVec3 OklabToXyz(const TVec3 &lab);
/// Lab or OKLab to its polar form (L, chroma, hue in degrees 0 .. 360) and
/// back; an achromatic colour has hue 0.
TVec3 LabToLch(const TVec3 &lab);
TVec3 LchToLab(const TVec3 &lch);

/// hsl() and hwb() as sRGB components: hue in degrees (any value, taken
/// modulo 360), the others in per cent.
TRgb HslToRgb(double hue, double saturation, double lightness);
TRgb HwbToRgb(double hue, double whiteness, double blackness);
/// The hsl() and hwb() components of sRGB components; greys have hue 0.
TVec3 RgbToHsl(const TRgb &rgb);
TVec3 RgbToHwb(const TRgb &rgb);

/// Shortcuts through XYZ.
TVec3 LinearSrgbToOklab(const TVec3 &linear);
TVec3 OklabToLinearSrgb(const TVec3 &oklab);
TVec3 RgbToOklab(const TRgb &rgb);
TRgb OklabToRgb(const TVec3 &oklab);
TVec3 RgbToLab(const TRgb &rgb);
TRgb LabToRgb(const TVec3 &lab);

/// deltaEOK: the distance of two OKLab colours.
double DeltaEOk(const TVec3 &x, const TVec3 &y);

/// A colour brought into sRGB.
struct TMapped
{
    TColor Color;
    bool Outside;  ///< the colour lay outside sRGB by more than 8-bit rounding
};

/// The colour of sRGB components that may lie outside the gamut, brought
/// into it by CSS Color 4's gamut mapping: OKLCH chroma reduced by binary
/// search until clipping moves the colour less than the just noticeable
/// difference 0.02 in deltaEOK, then clipped; lightness 1 or more is white,
/// 0 or less black.
TMapped MapToSrgb(const TRgb &rgb);
/// The same, from OKLCH (L 0 .. 1, chroma, hue in degrees).
TMapped MapOklchToSrgb(const TVec3 &oklch);
