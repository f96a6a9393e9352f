#include "cvd.h"

#include "matrix.h"
#include "srgb.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

TVec3 cross(const TVec3 &a, const TVec3 &b)
{
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

double dot(const TVec3 &a, const TVec3 &b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }

// Linear light clamped to the gamut, encoded and rounded to 8 bits.
TColor encode(const TVec3 &linear)
{
    const TVec3 rgb = Each(linear, [](double c) { return LinearToSrgb(std::clamp(c, 0.0, 1.0)) * 255; });
    return MakeColor(RoundToByte(rgb.X), RoundToByte(rgb.Y), RoundToByte(rgb.Z));
}

// Machado, Oliveira and Fernandes (2009), the matrices of their supplementary
// table for linear RGB, at severities 0.0, 0.1, ..., 1.0.
constexpr std::array<TMatrix3, 11> Protan = {{
    {1, 0, 0, 0, 1, 0, 0, 0, 1},
    {0.856167, 0.182038, -0.038205, 0.029342, 0.955115, 0.015544, -0.002880, -0.001563, 1.004443},
    {0.734766, 0.334872, -0.069637, 0.051840, 0.919198, 0.028963, -0.004928, -0.004209, 1.009137},
    {0.630323, 0.465641, -0.095964, 0.069181, 0.890046, 0.040773, -0.006308, -0.007724, 1.014032},
    {0.539009, 0.579343, -0.118352, 0.082546, 0.866121, 0.051332, -0.007136, -0.011959, 1.019095},
    {0.458064, 0.679578, -0.137642, 0.092785, 0.846313, 0.060902, -0.007494, -0.016807, 1.024301},
    {0.385450, 0.769005, -0.154455, 0.100526, 0.829802, 0.069673, -0.007442, -0.022190, 1.029632},
    {0.319627, 0.849633, -0.169261, 0.106241, 0.815969, 0.077790, -0.007025, -0.028051, 1.035076},
    {0.259411, 0.923008, -0.182420, 0.110296, 0.804340, 0.085364, -0.006276, -0.034346, 1.040622},
    {0.203876, 0.990338, -0.194214, 0.112975, 0.794542, 0.092483, -0.005222, -0.041043, 1.046265},
    {0.152286, 1.052583, -0.204868, 0.114503, 0.786281, 0.099216, -0.003882, -0.048116, 1.051998},
}};

constexpr std::array<TMatrix3, 11> Deutan = {{
    {1, 0, 0, 0, 1, 0, 0, 0, 1},
    {0.866435, 0.177704, -0.044139, 0.049567, 0.939063, 0.011370, -0.003453, 0.007233, 0.996220},
    {0.760729, 0.319078, -0.079807, 0.090568, 0.889315, 0.020117, -0.006027, 0.013325, 0.992702},
    {0.675425, 0.433850, -0.109275, 0.125303, 0.847755, 0.026942, -0.007950, 0.018572, 0.989378},
    {0.605511, 0.528560, -0.134071, 0.155318, 0.812366, 0.032316, -0.009376, 0.023176, 0.986200},
    {0.547494, 0.607765, -0.155259, 0.181692, 0.781742, 0.036566, -0.010410, 0.027275, 0.983136},
    {0.498864, 0.674741, -0.173604, 0.205199, 0.754872, 0.039929, -0.011131, 0.030969, 0.980162},
    {0.457771, 0.731899, -0.189670, 0.226409, 0.731012, 0.042579, -0.011595, 0.034333, 0.977261},
    {0.422823, 0.781057, -0.203881, 0.245752, 0.709602, 0.044646, -0.011843, 0.037423, 0.974421},
    {0.392952, 0.823610, -0.216562, 0.263559, 0.690210, 0.046232, -0.011910, 0.040281, 0.971630},
    {0.367322, 0.860646, -0.227968, 0.280085, 0.672501, 0.047413, -0.011820, 0.042940, 0.968881},
}};

TColor machado(TColor color, const std::array<TMatrix3, 11> &table, double severity)
{
    const double position = severity * 10;
    const int row = std::min(int(position), 9);
    const double fraction = position - row;
    TMatrix3 m;
    for (std::size_t i = 0; i < 9; ++i)
        m[i] = table[std::size_t(row)][i] + fraction * (table[std::size_t(row) + 1][i] - table[std::size_t(row)][i]);
    return encode(m * ColorToLinear(color));
}

// Brettel, Viénot and Mollon (1997) for the tritan: in cone space (Smith and
// Pokorny's fundamentals), S is replaced by the value that puts the colour on
// one of two half-planes through the neutral axis, one holding 485 nm and the
// other 660 nm. The plane through the neutral axis and the S axis tells which.
// Both projections are folded into matrices on linear sRGB once.
struct TBrettel
{
    TMatrix3 Wing485;
    TMatrix3 Wing660;
    TVec3 Separation;  // in linear sRGB: positive on the 485 nm side
};

const TBrettel Tritan = [] {
    // Smith and Pokorny (1975), CIE XYZ to cone excitations L, M, S.
    constexpr TMatrix3 XyzToLms = {0.15514, 0.54312, -0.03286, -0.15514, 0.45684, 0.03286, 0, 0, 0.01608};
    // The CIE 1931 colour-matching functions at 485 nm and 660 nm.
    constexpr TVec3 Xyz485 = {0.05795, 0.1693, 0.6162};
    constexpr TVec3 Xyz660 = {0.1649, 0.061, 0.00001};

    const TMatrix3 toLms = XyzToLms * LinearSrgbToXyzMatrix;
    const TMatrix3 fromLms = Inverse(toLms);
    // The display's white anchors the neutral axis, so greys stay grey.
    const TVec3 white = toLms * TVec3{1, 1, 1};
    const auto wing = [&](const TVec3 &xyz) {
        const TVec3 n = cross(white, XyzToLms * xyz);
        const TMatrix3 project = {1, 0, 0, 0, 1, 0, -n.X / n.Z, -n.Y / n.Z, 0};
        return fromLms * (project * toLms);
    };
    TVec3 separation = cross(white, TVec3{0, 0, 1});
    if (dot(separation, XyzToLms * Xyz485) < 0)
        separation = {-separation.X, -separation.Y, -separation.Z};
    // As a row on linear sRGB: separation . (toLms x rgb).
    const TVec3 inRgb = {dot(separation, {toLms[0], toLms[3], toLms[6]}), dot(separation, {toLms[1], toLms[4], toLms[7]}),
                         dot(separation, {toLms[2], toLms[5], toLms[8]})};
    return TBrettel{wing(Xyz485), wing(Xyz660), inRgb};
}();

TColor brettelTritan(TColor color, double severity)
{
    const TVec3 rgb = ColorToLinear(color);
    const TVec3 projected = (dot(Tritan.Separation, rgb) >= 0 ? Tritan.Wing485 : Tritan.Wing660) * rgb;
    const auto mix = [severity](double from, double to) { return from + severity * (std::clamp(to, 0.0, 1.0) - from); };
    return encode({mix(rgb.X, projected.X), mix(rgb.Y, projected.Y), mix(rgb.Z, projected.Z)});
}

} // namespace

TColor SimulateCvd(TColor color, TCvdKind kind, double severity)
{
    severity = std::isnan(severity) ? 0.0 : std::clamp(severity, 0.0, 1.0);
    switch (kind) {
    case TCvdKind::Protan:
        return machado(color, Protan, severity);
    case TCvdKind::Deutan:
        return machado(color, Deutan, severity);
    case TCvdKind::Tritan:
        return brettelTritan(color, severity);
    }
    return color & 0xFFFFFF;
}

TColor SimulateDichromacy(TColor color, TCvdKind kind) { return SimulateCvd(color, kind, 1.0); }

TColor SimulateAchromatopsia(TColor color)
{
    const TVec3 rgb = ColorToLinear(color);
    const double y = 0.2126 * rgb.X + 0.7152 * rgb.Y + 0.0722 * rgb.Z;
    return encode({y, y, y});
}
