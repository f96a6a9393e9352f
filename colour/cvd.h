// Colour-vision deficiency: how an 8-bit sRGB colour looks to a person who
// lacks one kind of cone, has one shifted, or sees no colour at all. All of
// it works in linear light and writes the result back as 8-bit sRGB.
#pragma once

#include "colour.h"

/// The kind of cone a deficiency touches: L (protan), M (deutan), S (tritan).
enum class TCvdKind
{
    Protan,
    Deutan,
    Tritan,
};

/// The colour as seen with an anomalous trichromacy of the given kind and
/// severity: 0 is normal vision (the colour unchanged), 1 the dichromacy
/// (protanopia, deuteranopia, tritanopia); a severity outside 0 .. 1 is
/// clamped to it and NaN counts as 0.
///
/// Protan and deutan follow Machado, Oliveira and Fernandes (2009): their
/// published matrices for severities 0.0, 0.1, ..., 1.0, interpolated
/// linearly between neighbouring rows. Tritan follows Brettel, Viénot and
/// Mollon (1997), the projection onto the two half-planes anchored on the
/// display white and 485 nm and 660 nm; below severity 1 that result is
/// mixed with the colour in linear light, severity parts of it.
///
/// The components are decoded by the sRGB transfer, transformed, clamped to
/// 0 .. 1, encoded again and rounded to 0 .. 255 (halves up). The top byte
/// is ignored and the result's is zero.
TColor SimulateCvd(TColor color, TCvdKind kind, double severity);

/// SimulateCvd at severity 1: protanopia, deuteranopia or tritanopia.
TColor SimulateDichromacy(TColor color, TCvdKind kind);

/// The colour as seen with achromatopsia: a grey of the colour's WCAG 2
/// relative luminance (0.2126 R + 0.7152 G + 0.0722 B of the linear
/// components), encoded by the sRGB transfer and rounded to 0 .. 255
/// (halves up) in all three channels. Greys are unchanged.
TColor SimulateAchromatopsia(TColor color);
