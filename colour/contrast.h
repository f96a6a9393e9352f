// Contrast for text on a colour: the WCAG 2 ratio as WCAG judges it, the
// APCA lightness contrast of the WCAG 3 draft, and the nearest colour that
// passes AA where the colour fails it.
#pragma once

#include "colour.h"

#include <optional>
#include <string>

/// The WCAG 2.2 success criteria that a contrast ratio meets, judged on the
/// ratio as computed, never rounded: normal text AA 4.5 and AAA 7, large
/// text AA 3 and AAA 4.5.
struct TWcagVerdict
{
    bool AA;
    bool AAA;
    bool LargeAA;
    bool LargeAAA;
};

TWcagVerdict WcagVerdict(double ratio);

/// The ratio cut (not rounded) to two decimals and ":1": 4.478 is "4.47:1",
/// so a ratio below 4.5 never reads as 4.50.
std::string CutRatioText(double ratio);

/// APCA-W3 0.0.98G-4g lightness contrast Lc of text on a background,
/// about -108 .. 106: positive for dark text on a light background,
/// negative for light text on a dark one, 0 below the clip.
double ApcaContrast(TColor text, TColor background);

/// The colour nearest to `background` that passes AA (4.5) under `text`:
/// the same OKLCH hue and chroma (reduced by gamut mapping only where sRGB
/// has no such colour), the OKLCH lightness moved as little as possible.
/// Nothing when the background already passes, or when no colour of that
/// hue and chroma does (under a text of middle luminance, neither the dark
/// nor the light end may reach 4.5).
std::optional<TColor> NearestPassingAA(TColor background, TColor text);
