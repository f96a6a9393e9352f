#include "cvd.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using TMatrix = std::array<double, 9>;  // row by row
using TVector = std::array<double, 3>;

TVector multiply(const TMatrix &m, const TVector &v)
{
    return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
            m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

TMatrix multiply(const TMatrix &a, const TMatrix &b)
{
    TMatrix product{};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            for (int k = 0; k < 3; ++k)
                product[row * 3 + column] += a[row * 3 + k] * b[k * 3 + column];
    return product;
}

TMatrix inverse(const TMatrix &m)
{
    const TMatrix adjugate = {
        m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
        m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
        m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3],
    };
    const double determinant = m[0] * adjugate[0] + m[1] * adjugate[3] + m[2] * adjugate[6];
    TMatrix result;
    std::transform(adjugate.begin(), adjugate.end(), result.begin(), [&](double v) { return v / determinant; });
    return result;
}

TVector cross(const TVector &a, const TVector &b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const TVector &a, const TVector &b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The 256 component values decoded once: a look-up instead of a power.
const std::array<double, 256> LinearOf = [] {
    std::array<double, 256> table{};
    for (int v = 0; v < 256; ++v) {
        const double c = v / 255.0;
        table[std::size_t(v)] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return table;
}();

TVector decode(TColor color)
{
    return {LinearOf[std::size_t(GetRValue(color))], LinearOf[std::size_t(GetGValue(color))],
            LinearOf[std::size_t(GetBValue(color))]};
}

int encode(double linear)
{
    const double c = std::clamp(linear, 0.0, 1.0);
    const double v = c > 0.0031308 ? 1.055 * std::pow(c, 1 / 2.4) - 0.055 : 12.92 * c;
    return int(std::floor(v * 255 + 0.5));
}

TColor encode(const TVector &linear) { return MakeColor(encode(linear[0]), encode(linear[1]), encode(linear[2])); }

// Machado, Oliveira and Fernandes (2009), the matrices of their supplementary
// table for linear RGB, at severities 0.0, 0.1, ..., 1.0.
constexpr std::array<TMatrix, 11> Protan = {{
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

constexpr std::array<TMatrix, 11> Deutan = {{
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

TColor machado(TColor color, const std::array<TMatrix, 11> &table, double severity)
{
    const double position = severity * 10;
    const int row = std::min(int(position), 9);
    const double fraction = position - row;
    TMatrix m;
    for (std::size_t i = 0; i < 9; ++i)
        m[i] = table[std::size_t(row)][i] + fraction * (table[std::size_t(row) + 1][i] - table[std::size_t(row)][i]);
    return encode(multiply(m, decode(color)));
}

// Brettel, Viénot and Mollon (1997) for the tritan: in cone space (Smith and
// Pokorny's fundamentals), S is replaced by the value that puts the colour on
// one of two half-planes through the neutral axis, one holding 485 nm and the
// other 660 nm. The plane through the neutral axis and the S axis tells which.
// Both projections are folded into matrices on linear sRGB once.
struct TBrettel
{
    TMatrix Wing485;
    TMatrix Wing660;
    TVector Separation;  // in linear sRGB: positive on the 485 nm side
};

const TBrettel Tritan = [] {
    // IEC 61966-2-1, linear sRGB to CIE XYZ.
    constexpr TMatrix SrgbToXyz = {0.4124, 0.3576, 0.1805, 0.2126, 0.7152, 0.0722, 0.0193, 0.1192, 0.9505};
    // Smith and Pokorny (1975), CIE XYZ to cone excitations L, M, S.
    constexpr TMatrix XyzToLms = {0.15514, 0.54312, -0.03286, -0.15514, 0.45684, 0.03286, 0, 0, 0.01608};
    // The CIE 1931 colour-matching functions at 485 nm and 660 nm.
    constexpr TVector Xyz485 = {0.05795, 0.1693, 0.6162};
    constexpr TVector Xyz660 = {0.1649, 0.061, 0.00001};

    const TMatrix toLms = multiply(XyzToLms, SrgbToXyz);
    const TMatrix fromLms = inverse(toLms);
    // The display's white anchors the neutral axis, so greys stay grey.
    const TVector white = multiply(toLms, TVector{1, 1, 1});
    const auto wing = [&](const TVector &xyz) {
        const TVector n = cross(white, multiply(XyzToLms, xyz));
        const TMatrix project = {1, 0, 0, 0, 1, 0, -n[0] / n[2], -n[1] / n[2], 0};
        return multiply(fromLms, multiply(project, toLms));
    };
    TVector separation = cross(white, TVector{0, 0, 1});
    if (dot(separation, multiply(XyzToLms, Xyz485)) < 0)
        separation = {-separation[0], -separation[1], -separation[2]};
    // As a row on linear sRGB: separation . (toLms x rgb).
    const TVector inRgb = {dot(separation, {toLms[0], toLms[3], toLms[6]}),
                           dot(separation, {toLms[1], toLms[4], toLms[7]}),
                           dot(separation, {toLms[2], toLms[5], toLms[8]})};
    return TBrettel{wing(Xyz485), wing(Xyz660), inRgb};
}();

TColor brettelTritan(TColor color, double severity)
{
    const TVector rgb = decode(color);
    TVector seen = multiply(dot(Tritan.Separation, rgb) >= 0 ? Tritan.Wing485 : Tritan.Wing660, rgb);
    for (std::size_t i = 0; i < 3; ++i)
        seen[i] = rgb[i] + severity * (std::clamp(seen[i], 0.0, 1.0) - rgb[i]);
    return encode(seen);
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
    const TVector rgb = decode(color);
    const int grey = encode(0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2]);
    return MakeColor(grey, grey, grey);
}
