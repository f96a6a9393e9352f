#include "nearest.h"

#include "lab.h"
#include "srgb.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;
constexpr double degree = pi / 180;

double seventhPower(double x)
{
    const double x2 = x * x;
    return x2 * x2 * x2 * x;
}

// The hue angle in radians, 0 .. 2 pi; 0 for a neutral colour.
double hueAngle(double b, double a)
{
    if (a == 0 && b == 0)
        return 0;
    const double h = std::atan2(b, a);
    return h < 0 ? h + 2 * pi : h;
}

// The rows' Lab values with their chroma, computed on the first lookup.
struct TRowLab
{
    TLabD65 Lab;
    double Chroma;
};

const std::array<TRowLab, NamedColorCount> &rowLab()
{
    static const std::array<TRowLab, NamedColorCount> table = [] {
        std::array<TRowLab, NamedColorCount> rows{};
        for (int row = 0; row < NamedColorCount; ++row) {
            const TLabD65 lab = ColorToLabD65(ColorOfRow(row));
            rows[std::size_t(row)] = {lab, std::sqrt(lab.a * lab.a + lab.b * lab.b)};
        }
        return rows;
    }();
    return table;
}

// Whether Ciede2000(x, y) certainly exceeds a distance whose square is
// given, by a lower bound far cheaper to compute than the difference.
// With l, c and h the three weighted differences, the rotation term RT c h
// has |RT| <= 2 sin 60 = sqrt 3, so dE^2 >= l^2 + (1 - sqrt 3 / 2)(c^2 + h^2).
// When b >= 0 on both sides, both hues and so their mean lie in 0 .. 180
// degrees, at least 95 from 275, where |RT| is below 2e-6 and the factor is
// nearly 1. SL <= 1 + 0.015 * 2500 / sqrt 2520 < 1.75 for lightness in
// 0 .. 100; SH <= SC (T < 1.95); the a' stretch 1 + G adds at most half the
// mean chroma and never more than 6.38 (G * C peaks at C = 16.6), so SC <=
// 1 + 0.045 * (mean chroma + min(mean chroma / 2, 6.38)); and dC'^2 + dH'^2 =
// da'^2 + db^2 >= da^2 + db^2.
bool certainlyFarther(const TLabD65 &x, double xChroma, const TRowLab &y, double distanceSquared)
{
    constexpr double maxSL = 1.75;
    const double k = x.b >= 0 && y.Lab.b >= 0 ? 0.999 : 0.13;  // 0.13 < 1 - sqrt 3 / 2
    const double meanChroma = (xChroma + y.Chroma) / 2;
    const double maxSC = 1 + 0.045 * (meanChroma + std::min(meanChroma / 2, 6.38));
    const double l = (y.Lab.L - x.L) / maxSL;
    const double da = y.Lab.a - x.a;
    const double db = y.Lab.b - x.b;
    // l^2 + k (da^2 + db^2) / SC^2 > distance^2, without the division.
    return k * (da * da + db * db) > (distanceSquared - l * l) * maxSC * maxSC;
}

} // namespace

TLabD65 ColorToLabD65(TColor color)
{
    // The sRGB primaries and D65 white to XYZ, to seven places; the white
    // point is the matrix's row sums, so white comes out as exactly 100/0/0
    // up to rounding. Not CSS's exact fractions (LinearSrgbToXyzMatrix): on
    // those red's L is 53.2371, not the 53.2408 of the published Lab tables
    // the names were measured against.
    constexpr TMatrix3 m = {0.4124564, 0.3575761, 0.1804375, 0.2126729, 0.7151522,
                            0.0721750, 0.0193339, 0.1191920, 0.9503041};
    constexpr TVec3 white = {m[0] + m[1] + m[2], m[3] + m[4] + m[5], m[6] + m[7] + m[8]};
    const TVec3 lab = XyzToLab(m * ColorToLinear(color), white);
    return {lab.X, lab.Y, lab.Z};
}

double Ciede2000(const TLabD65 &x, const TLabD65 &y)
{
    constexpr double pow25to7 = 6103515625.0;  // 25^7
    const double c1 = std::sqrt(x.a * x.a + x.b * x.b);
    const double c2 = std::sqrt(y.a * y.a + y.b * y.b);
    const double cMean7 = seventhPower((c1 + c2) / 2);
    const double g = 0.5 * (1 - std::sqrt(cMean7 / (cMean7 + pow25to7)));
    const double a1 = (1 + g) * x.a;
    const double a2 = (1 + g) * y.a;
    const double cp1 = std::sqrt(a1 * a1 + x.b * x.b);
    const double cp2 = std::sqrt(a2 * a2 + y.b * y.b);
    const double hp1 = hueAngle(x.b, a1);
    const double hp2 = hueAngle(y.b, a2);

    const double deltaL = y.L - x.L;
    const double deltaC = cp2 - cp1;
    double deltaH = 0;
    if (cp1 * cp2 != 0) {
        deltaH = hp2 - hp1;
        if (deltaH > pi)
            deltaH -= 2 * pi;
        else if (deltaH < -pi)
            deltaH += 2 * pi;
    }
    const double deltaBigH = 2 * std::sqrt(cp1 * cp2) * std::sin(deltaH / 2);

    const double lMean = (x.L + y.L) / 2;
    const double cpMean = (cp1 + cp2) / 2;
    double hMean = hp1 + hp2;
    if (cp1 * cp2 != 0) {
        if (std::abs(hp1 - hp2) <= pi)
            hMean /= 2;
        else
            hMean = hMean < 2 * pi ? (hMean + 2 * pi) / 2 : (hMean - 2 * pi) / 2;
    }

    // The four cosines of T from one sine and cosine of the mean hue, by the
    // multiple-angle formulas.
    const double c = std::cos(hMean);
    const double s = std::sin(hMean);
    const double c2h = 2 * c * c - 1;
    const double s2h = 2 * s * c;
    const double c3h = c * (4 * c * c - 3);
    const double s3h = s * (3 - 4 * s * s);
    const double c4h = 2 * c2h * c2h - 1;
    const double s4h = 2 * s2h * c2h;
    const auto cosMinus = [](double cosA, double sinA, double degrees) {
        return cosA * std::cos(degrees * degree) + sinA * std::sin(degrees * degree);
    };
    const double t = 1 - 0.17 * cosMinus(c, s, 30) + 0.24 * c2h + 0.32 * cosMinus(c3h, s3h, -6)
        - 0.20 * cosMinus(c4h, s4h, 63);

    const double hDegrees = hMean / degree;
    const double deltaTheta = 30 * degree * std::exp(-((hDegrees - 275) / 25) * ((hDegrees - 275) / 25));
    const double cpMean7 = seventhPower(cpMean);
    const double rC = 2 * std::sqrt(cpMean7 / (cpMean7 + pow25to7));
    const double lOff2 = (lMean - 50) * (lMean - 50);
    const double sL = 1 + 0.015 * lOff2 / std::sqrt(20 + lOff2);
    const double sC = 1 + 0.045 * cpMean;
    const double sH = 1 + 0.015 * cpMean * t;
    const double rT = -std::sin(2 * deltaTheta) * rC;

    const double l = deltaL / sL;
    const double cc = deltaC / sC;
    const double h = deltaBigH / sH;
    return std::sqrt(l * l + cc * cc + h * h + rT * cc * h);
}

TNearestColor NearestNamedColor(TColor color)
{
    const TLabD65 lab = ColorToLabD65(color);
    const double chroma = std::sqrt(lab.a * lab.a + lab.b * lab.b);
    const auto &rows = rowLab();
    // A first guess, the nearest row in plain Lab distance, gives a distance
    // that the bound then uses to skip most rows unmeasured.
    int guess = 0;
    double guessDistance = 1e300;
    for (int row = 0; row < NamedColorCount; ++row) {
        const TLabD65 &y = rows[std::size_t(row)].Lab;
        const double d = (y.L - lab.L) * (y.L - lab.L) + (y.a - lab.a) * (y.a - lab.a) + (y.b - lab.b) * (y.b - lab.b);
        if (d < guessDistance) {
            guess = row;
            guessDistance = d;
        }
    }
    TNearestColor nearest{guess, Ciede2000(lab, rows[std::size_t(guess)].Lab)};
    for (int row = 0; row < NamedColorCount; ++row) {
        if (row == guess)
            continue;
        const TRowLab &y = rows[std::size_t(row)];
        // A row certainly farther than the best so far cannot be nearer or
        // tie; the slack keeps rounding from skipping a tie.
        if (certainlyFarther(lab, chroma, y, nearest.Distance * nearest.Distance * (1 + 1e-9) + 1e-12))
            continue;
        const double distance = Ciede2000(lab, y.Lab);
        // Equal distances go to the later row.
        if (distance < nearest.Distance || (distance == nearest.Distance && row > nearest.Row))
            nearest = {row, distance};
    }
    return nearest;
}

double RelativeLuminance(TColor color)
{
    // WCAG 2 gives the decoding threshold as 0.03928 where sRGB has 0.04045;
    // no 8-bit component lies between the two, so they agree.
    return 0.2126 * LinearOfChannel(GetRValue(color)) + 0.7152 * LinearOfChannel(GetGValue(color))
        + 0.0722 * LinearOfChannel(GetBValue(color));
}

double ContrastRatio(TColor a, TColor b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TNameText NameText(TColor color)
{
    if (const auto name = NameForColor(color))
        return {std::string(*name), true};
    const TNearestColor nearest = NearestNamedColor(color);
    // to_chars writes as the "C" locale does, whatever the program's locale.
    char distance[32];
    const auto written = std::to_chars(distance, distance + sizeof distance, nearest.Distance,
                                       std::chars_format::fixed, 1);
    std::string text = "近い色 ";
    text += NameOfRow(nearest.Row);
    text += " (ΔE ";
    text.append(distance, written.ptr);
    text += ")";
    return {text, false};
}
