// From CSS Color 4's spaces to an 8-bit sRGB colour: the ways between sRGB
// and the Labs, and CSS's gamut mapping. Pure functions on doubles; the
// spaces themselves are the rows of cssspaces.h.
#pragma once

#include "hsl.h"
#include "lab.h"
#include "srgb.h"

/// Shortcuts through XYZ.
TVec3 LinearSrgbToOklab(const TVec3 &linear);
TVec3 OklabToLinearSrgb(const TVec3 &oklab);
TVec3 RgbToOklab(const TRgb &rgb);
TVec3 RgbToLabD50(const TRgb &rgb);
TRgb LabD50ToRgb(const TVec3 &lab);

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
