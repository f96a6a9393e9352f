// The colour spaces that CSS texts name, one row each: the reader of texts
// and the writer of the copied forms both loop over this table.
#pragma once

#include "css.h"

#include <array>
#include <string_view>

/// An RGB space of color() as data: its transfer curve and its matrix to
/// CIE XYZ.
struct TRgbSpace
{
    double (*ToLinear)(double);  ///< the transfer curve; nullptr for linear components
    const TMatrix3 *ToXyz;       ///< linear components to XYZ; nullptr when they are XYZ
    bool D50;                    ///< XYZ relative to D50, not D65
};

/// A space's components in the reader's and the writer's units.
struct TCssComponent
{
    std::string_view Name;  ///< "l", "a", "b", "h", ...
    double Hundred;         ///< what 100% reads as; 0 for a hue, which takes angles instead
    bool Percent;           ///< written with "%" (and in the comma form only so)
};

/// One space: a CSS function ("lab(...)") or an RGB space of color() ("color(display-p3 ...)").
struct TCssSpace
{
    std::string_view Name;
    std::array<TCssComponent, 3> Components;
    int Hue;                      ///< the component that is a hue, or -1
    int Chroma;                   ///< the component at 0 of which the hue does not count, or -1
    bool Legacy;                  ///< the comma form too, and the name with "a" appended
    std::string_view PolarOf;     ///< the space this is the polar form of (lch of lab), or empty
    TMapped (*ToColor)(const TVec3 &);  ///< for a function: CSS's clamps, then into sRGB, gamut mapped
    TVec3 (*FromColor)(TColor);   ///< the exact components of an 8-bit colour, for the written forms
    const TRgbSpace *Rgb;         ///< for a space of color(), instead of ToColor
};

/// The functions rgb(), hsl(), hwb(), lab(), lch(), oklab() and oklch(), and
/// the spaces of color(): srgb, srgb-linear, display-p3, a98-rgb,
/// prophoto-rgb, rec2020, xyz, xyz-d50 and xyz-d65.
extern const std::array<TCssSpace, 7> CssFunctions;
extern const std::array<TCssSpace, 9> CssRgbSpaces;

/// The row of a function name or of a color() space name, in any ASCII
/// letter case ("rgba" and "hsla" are rgb and hsl); nullptr for none.
const TCssSpace *FindCssFunction(std::string_view name);
const TCssSpace *FindCssRgbSpace(std::string_view name);

/// The colour of a space's components (hues in degrees, percentages
/// already scaled by Hundred), as the reader takes them.
TMapped CssSpaceToColor(const TCssSpace &space, const TVec3 &components);
