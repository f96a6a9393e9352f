// Colour difference and contrast: the nearest named colour by CIEDE2000 and
// the WCAG 2 contrast ratio. Pure functions, nothing from a window system.
#pragma once

#include "colour.h"

/// A colour in CIE L*a*b* relative to the D65 white: L 0 .. 100, a and b
/// roughly -128 .. 127.
struct TLabD65
{
    double L;
    double a;
    double b;
};

/// The colour's CIE L*a*b* under the D65 white: sRGB (IEC 61966-2-1)
/// components decoded to linear light, to CIE XYZ by the sRGB matrix, then
/// to Lab relative to the D65 white point. White is 100/0/0. The top byte is
/// ignored.
TLabD65 ColorToLabD65(TColor color);

/// The CIEDE2000 colour difference of two Lab colours with the parametric
/// factors kL = kC = kH = 1, as formulated by Sharma, Wu and Dalal (2005).
/// 0 for equal colours; symmetric in its arguments.
double Ciede2000(const TLabD65 &x, const TLabD65 &y);

/// A row of NamedColors and its CIEDE2000 distance from a colour.
struct TNearestColor
{
    int Row;          ///< 0 .. 146
    double Distance;  ///< 0 when the colour is the row's colour
};

/// The NamedColors row nearest to the colour by CIEDE2000 between their Lab
/// values. Equal distances go to the later row, as NameForColor does, so
/// cyan and magenta win over aqua and fuchsia.
TNearestColor NearestNamedColor(TColor color);

/// The WCAG 2 relative luminance of the colour, 0 (black) .. 1 (white):
/// 0.2126 R + 0.7152 G + 0.0722 B of the linearised sRGB components.
double RelativeLuminance(TColor color);

/// The WCAG 2 contrast ratio (lighter + 0.05) / (darker + 0.05) of two
/// colours' relative luminances, 1 .. 21, in either order of arguments.
double ContrastRatio(TColor a, TColor b);

/// How a colour stands to the named colours, as the chooser and the
/// swatches' descriptions show it: its name when it has one (NameForColor),
/// else "近い色 gold (ΔE 5.0)" (UTF-8), the distance rounded to one decimal
/// and written with a point whatever the locale.
struct TNameText
{
    std::string Text;
    bool Exact;
};
TNameText NameText(TColor color);
