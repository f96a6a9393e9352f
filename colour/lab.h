// CIE Lab on either white, OKLab, and their polar forms.
#pragma once

#include "matrix.h"

/// The D50 white by its four-figure chromaticity, as CSS takes it.
inline constexpr TVec3 D50White = {0.3457 / 0.3585, 1.0, (1.0 - 0.3457 - 0.3585) / 0.3585};

/// D65 and D50 XYZ by CSS's Bradford matrices.
TVec3 XyzD65ToD50(const TVec3 &xyz);
TVec3 XyzD50ToD65(const TVec3 &xyz);

/// CIE Lab (L 0 .. 100) of XYZ relative to the given white, with the exact
/// CIE constants 216/24389 and 24389/27, and back.
TVec3 XyzToLab(const TVec3 &xyz, const TVec3 &white);
TVec3 LabToXyz(const TVec3 &lab, const TVec3 &white);

/// CIE Lab relative to D50 (L 0 .. 100), as CSS's lab() and lch(), and back.
TVec3 XyzD50ToLabD50(const TVec3 &xyz);
TVec3 LabD50ToXyzD50(const TVec3 &lab);

/// OKLab (L 0 .. 1) from D65 XYZ and back.
TVec3 XyzToOklab(const TVec3 &xyz);
TVec3 OklabToXyz(const TVec3 &lab);

/// Lab or OKLab to its polar form (L, chroma, hue in degrees 0 .. 360) and
/// back; an achromatic colour has hue 0.
TVec3 LabToLch(const TVec3 &lab);
TVec3 LchToLab(const TVec3 &lch);
