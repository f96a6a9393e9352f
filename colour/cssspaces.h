// The colour spaces that CSS texts name, one row each: what the reader and
// the writer of texts both need to know about a space.
#pragma once

#include "css.h"

#include <string_view>

/// What a CSS function's three components give, with the clamps CSS
/// applies before converting: lab() and lch() lightness 0 .. 100, oklab()
/// and oklch() 0 .. 1, chroma at 0, hsl() and hwb() percentages 0 .. 100;
/// hues in degrees, percentages already scaled. Outside sRGB the colour is
/// gamut mapped.
TMapped HslComponentsToColor(const TVec3 &hsl);
TMapped HwbComponentsToColor(const TVec3 &hwb);
TMapped LabComponentsToColor(const TVec3 &lab);
TMapped LchComponentsToColor(const TVec3 &lch);
TMapped OklabComponentsToColor(const TVec3 &oklab);
TMapped OklchComponentsToColor(const TVec3 &oklch);
