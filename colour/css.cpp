#include "css.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

using TMatrix = std::array<double, 9>;

TVec3 multiply(const TMatrix &m, const TVec3 &v)
{
    return {m[0] * v.X + m[1] * v.Y + m[2] * v.Z, m[3] * v.X + m[4] * v.Y + m[5] * v.Z,
            m[6] * v.X + m[7] * v.Y + m[8] * v.Z};
}

// The matrices as CSS Color 4 publishes them, rational where it gives them so.
constexpr TMatrix LinearSrgbToXyzMatrix = {
    506752.0 / 1228815, 87881.0 / 245763, 12673.0 / 70218,
    87098.0 / 409605, 175762.0 / 245763, 12673.0 / 175545,
    7918.0 / 409605, 87881.0 / 737289, 1001167.0 / 1053270};
constexpr TMatrix XyzToLinearSrgbMatrix = {
    12831.0 / 3959, -329.0 / 214, -1974.0 / 3959,
    -851781.0 / 878810, 1648619.0 / 878810, 36519.0 / 878810,
    705.0 / 12673, -2585.0 / 12673, 705.0 / 667};
constexpr TMatrix D65ToD50Matrix = {
    1.0479297925449969, 0.022946870601609652, -0.05019226628920524,
    0.02962780877005599, 0.9904344267538799, -0.017073799063418826,
    -0.009243040646204504, 0.015055191490298152, 0.7518742814281371};
constexpr TMatrix D50ToD65Matrix = {
    0.955473421488075, -0.02309845494876471, 0.06325924320057072,
    -0.0283697093338637, 1.0099953980813041, 0.021041441191917323,
    0.012314014864481998, -0.020507649298898964, 1.330365926242124};
constexpr TMatrix LinearP3ToXyzMatrix = {
    608311.0 / 1250200, 189793.0 / 714400, 198249.0 / 1000160,
    35783.0 / 156275, 247089.0 / 357200, 198249.0 / 2500400,
    0, 32229.0 / 714400, 5220557.0 / 5000800};
constexpr TMatrix LinearA98ToXyzMatrix = {
    573536.0 / 994567, 263643.0 / 1420810, 187206.0 / 994567,
    591459.0 / 1989134, 6239551.0 / 9945670, 374412.0 / 4972835,
    53769.0 / 1989134, 351524.0 / 4972835, 4929758.0 / 4972835};
constexpr TMatrix LinearProphotoToXyzD50Matrix = {
    0.7977666449006423, 0.13518129740053308, 0.0313477341283922,
    0.2880748288194013, 0.711835234241873, 0.00008993693872564,
    0, 0, 0.8251046025104602};
constexpr TMatrix LinearRec2020ToXyzMatrix = {
    63426534.0 / 99577255, 20160776.0 / 139408157, 47086771.0 / 278816314,
    26158966.0 / 99577255, 0.677998071518871, 8267143.0 / 139408157,
    0, 19567812.0 / 697040785, 1.0609850577107909};
constexpr TMatrix XyzToLmsMatrix = {
    0.819022437996703, 0.3619062600528904, -0.1288737815209879,
    0.0329836539323885, 0.9292868615863434, 0.0361446663506424,
    0.0481771893596242, 0.2642395317527308, 0.6335478284694309};
constexpr TMatrix LmsToOklabMatrix = {
    0.210454268309314, 0.7936177747023054, -0.0040720430116193,
    1.9779985324311684, -2.42859224204858, 0.450593709617411,
    0.0259040424655478, 0.7827717124575296, -0.8086757549230774};
constexpr TMatrix OklabToLmsMatrix = {
    1, 0.3963377773761749, 0.2158037573099136,
    1, -0.1055613458156586, -0.0638541728258133,
    1, -0.0894841775298119, -1.2914855480194092};
constexpr TMatrix LmsToXyzMatrix = {
    1.2268798758459243, -0.5578149944602171, 0.2813910456659647,
    -0.0405757452148008, 1.112286803280317, -0.0717110580655164,
    -0.0763729366746601, -0.4214933324022432, 1.5869240198367816};

// The D50 white by its four-figure chromaticity, as CSS takes it.
constexpr TVec3 D50White = {0.3457 / 0.3585, 1.0, (1.0 - 0.3457 - 0.3585) / 0.3585};
constexpr double LabEpsilon = 216.0 / 24389;
constexpr double LabKappa = 24389.0 / 27;

template <typename F>
TVec3 each(const TVec3 &v, F f)
{
    return {f(v.X), f(v.Y), f(v.Z)};
}

// value^exponent with the sign of value, as the RGB spaces extend their curves.
double signedPow(double value, double exponent)
{
    return std::copysign(std::pow(std::abs(value), exponent), value);
}

double hueOf(const TRgb &rgb, double max, double min)
{
    const double range = max - min;
    if (range == 0)
        return 0;
    double hue;
    if (max == rgb.X)
        hue = (rgb.Y - rgb.Z) / range + (rgb.Y < rgb.Z ? 6 : 0);
    else if (max == rgb.Y)
        hue = (rgb.Z - rgb.X) / range + 2;
    else
        hue = (rgb.X - rgb.Y) / range + 4;
    hue *= 60;
    return hue >= 360 ? hue - 360 : hue;
}

bool inside(const TRgb &rgb, double margin)
{
    return rgb.X >= -margin && rgb.X <= 1 + margin && rgb.Y >= -margin && rgb.Y <= 1 + margin && rgb.Z >= -margin
        && rgb.Z <= 1 + margin;
}

TRgb clip(const TRgb &rgb)
{
    return each(rgb, [](double c) { return std::clamp(c, 0.0, 1.0); });
}

} // namespace

double SrgbToLinear(double value)
{
    const double magnitude = std::abs(value);
    return magnitude <= 0.04045 ? value / 12.92 : std::copysign(std::pow((magnitude + 0.055) / 1.055, 2.4), value);
}

double LinearToSrgb(double value)
{
    const double magnitude = std::abs(value);
    return magnitude > 0.0031308 ? std::copysign(1.055 * std::pow(magnitude, 1 / 2.4) - 0.055, value)
                                 : 12.92 * value;
}

TRgb ColorToRgb(TColor color)
{
    return {GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0};
}

TColor RgbToColor(const TRgb &rgb)
{
    // A half rounds up, and so does what lies within 1e-5 of a half: a
    // browser holds components in single precision, so to it hsl(0 0%
    // 49.999999%) is 128, and a half reached in double arithmetic may lie
    // a trace below it.
    const auto channel = [](double c) {
        if (!(c > 0))  // NaN too
            return 0;
        return int(std::floor(std::min(c, 1.0) * 255 + 0.5 + 1e-5));
    };
    return MakeColor(channel(rgb.X), channel(rgb.Y), channel(rgb.Z));
}

TVec3 LinearSrgbToXyz(const TVec3 &rgb) { return multiply(LinearSrgbToXyzMatrix, rgb); }
TVec3 XyzToLinearSrgb(const TVec3 &xyz) { return multiply(XyzToLinearSrgbMatrix, xyz); }
TVec3 XyzD65ToD50(const TVec3 &xyz) { return multiply(D65ToD50Matrix, xyz); }
TVec3 XyzD50ToD65(const TVec3 &xyz) { return multiply(D50ToD65Matrix, xyz); }

TVec3 DisplayP3ToXyz(const TVec3 &rgb)
{
    return multiply(LinearP3ToXyzMatrix, each(rgb, SrgbToLinear));
}

TVec3 A98RgbToXyz(const TVec3 &rgb)
{
    return multiply(LinearA98ToXyzMatrix, each(rgb, [](double c) { return signedPow(c, 563.0 / 256); }));
}

TVec3 ProphotoRgbToXyzD50(const TVec3 &rgb)
{
    const auto linear = [](double c) { return std::abs(c) <= 16.0 / 512 ? c / 16 : signedPow(c, 1.8); };
    return multiply(LinearProphotoToXyzD50Matrix, each(rgb, linear));
}

TVec3 Rec2020ToXyz(const TVec3 &rgb)
{
    return multiply(LinearRec2020ToXyzMatrix, each(rgb, [](double c) { return signedPow(c, 2.4); }));
}

TVec3 XyzD50ToLab(const TVec3 &xyz)
{
    const auto f = [](double t) { return t > LabEpsilon ? std::cbrt(t) : (LabKappa * t + 16) / 116; };
    const double fx = f(xyz.X / D50White.X);
    const double fy = f(xyz.Y / D50White.Y);
    const double fz = f(xyz.Z / D50White.Z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

TVec3 LabToXyzD50(const TVec3 &lab)
{
    const double fy = (lab.X + 16) / 116;
    const double fx = lab.Y / 500 + fy;
    const double fz = fy - lab.Z / 200;
    const auto inverse = [](double f) { return f * f * f > LabEpsilon ? f * f * f : (116 * f - 16) / LabKappa; };
    const double y = lab.X > LabKappa * LabEpsilon ? fy * fy * fy : lab.X / LabKappa;
    return {inverse(fx) * D50White.X, y * D50White.Y, inverse(fz) * D50White.Z};
}

TVec3 XyzToOklab(const TVec3 &xyz)
{
    return multiply(LmsToOklabMatrix, each(multiply(XyzToLmsMatrix, xyz), [](double c) { return std::cbrt(c); }));
}

TVec3 OklabToXyz(const TVec3 &lab)
{
    return multiply(LmsToXyzMatrix, each(multiply(OklabToLmsMatrix, lab), [](double c) { return c * c * c; }));
}

TVec3 LabToLch(const TVec3 &lab)
{
    double hue = std::atan2(lab.Z, lab.Y) * 180 / std::numbers::pi;
    if (hue < 0)
        hue += 360;
    return {lab.X, std::hypot(lab.Y, lab.Z), hue};
}

TVec3 LchToLab(const TVec3 &lch)
{
    const double radians = lch.Z * std::numbers::pi / 180;
    return {lch.X, lch.Y * std::cos(radians), lch.Y * std::sin(radians)};
}

TRgb HslToRgb(double hue, double saturation, double lightness)
{
    double h = std::fmod(hue, 360);
    if (h < 0)
        h += 360;
    const double s = saturation / 100;
    const double l = lightness / 100;
    const auto channel = [&](double n) {
        // n + h / 30 lies in 0 .. 24: mod 12 without fmod.
        double k = n + h / 30;
        if (k >= 12)
            k -= 12;
        return l - s * std::min(l, 1 - l) * std::max(-1.0, std::min({k - 3, 9 - k, 1.0}));
    };
    return {channel(0), channel(8), channel(4)};
}

TRgb HwbToRgb(double hue, double whiteness, double blackness)
{
    const double w = whiteness / 100;
    const double b = blackness / 100;
    if (w + b >= 1)
        return {w / (w + b), w / (w + b), w / (w + b)};
    return each(HslToRgb(hue, 100, 50), [&](double c) { return c * (1 - w - b) + w; });
}

TVec3 RgbToHsl(const TRgb &rgb)
{
    const double max = std::max({rgb.X, rgb.Y, rgb.Z});
    const double min = std::min({rgb.X, rgb.Y, rgb.Z});
    const double l = (max + min) / 2;
    const double d = max - min;
    const double s = d == 0 || l == 0 || l == 1 ? 0 : (max - l) / std::min(l, 1 - l);
    return {s == 0 ? 0 : hueOf(rgb, max, min), 100 * s, 100 * l};
}

TVec3 RgbToHwb(const TRgb &rgb)
{
    const double max = std::max({rgb.X, rgb.Y, rgb.Z});
    const double min = std::min({rgb.X, rgb.Y, rgb.Z});
    return {hueOf(rgb, max, min), 100 * min, 100 * (1 - max)};
}

TVec3 LinearSrgbToOklab(const TVec3 &linear) { return XyzToOklab(LinearSrgbToXyz(linear)); }
TVec3 OklabToLinearSrgb(const TVec3 &oklab) { return XyzToLinearSrgb(OklabToXyz(oklab)); }
TVec3 RgbToOklab(const TRgb &rgb) { return LinearSrgbToOklab(each(rgb, SrgbToLinear)); }
TRgb OklabToRgb(const TVec3 &oklab) { return each(OklabToLinearSrgb(oklab), LinearToSrgb); }
TVec3 RgbToLab(const TRgb &rgb) { return XyzD50ToLab(XyzD65ToD50(LinearSrgbToXyz(each(rgb, SrgbToLinear)))); }
TRgb LabToRgb(const TVec3 &lab) { return each(XyzToLinearSrgb(XyzD50ToD65(LabToXyzD50(lab))), LinearToSrgb); }

double DeltaEOk(const TVec3 &x, const TVec3 &y)
{
    return std::sqrt((x.X - y.X) * (x.X - y.X) + (x.Y - y.Y) * (x.Y - y.Y) + (x.Z - y.Z) * (x.Z - y.Z));
}

// Within half an 8-bit step of the gamut the colour rounds to what clipping
// gives, so it does not count as outside.
constexpr double RoundingMargin = 0.5 / 255;

TMapped MapOklchToSrgb(const TVec3 &oklch)
{
    // The search runs in linear light: a channel is inside 0 .. 1 there
    // exactly when it is inside once encoded, and clipping commutes with
    // the transfer curve, so only the answer is encoded.
    const double radians = oklch.Z * std::numbers::pi / 180;
    const double cosine = std::cos(radians);
    const double sine = std::sin(radians);
    const auto lab = [&](double chroma) { return TVec3{oklch.X, chroma * cosine, chroma * sine}; };
    const auto encoded = [](const TVec3 &rgb) { return each(rgb, LinearToSrgb); };
    const TVec3 origin = OklabToLinearSrgb(lab(oklch.Y));
    const TRgb encodedOrigin = encoded(origin);
    const bool outside = !inside(encodedOrigin, RoundingMargin);
    if (oklch.X >= 1)
        return {MakeColor(255, 255, 255), outside};
    if (oklch.X <= 0)
        return {MakeColor(0, 0, 0), outside};
    if (inside(origin, 0))
        return {RgbToColor(encodedOrigin), false};
    constexpr double Jnd = 0.02;
    constexpr double Epsilon = 0.0001;
    TVec3 clipped = clip(origin);
    double e = DeltaEOk(LinearSrgbToOklab(clipped), lab(oklch.Y));
    if (e < Jnd)
        return {RgbToColor(encoded(clipped)), outside};
    double min = 0;
    double max = oklch.Y;
    bool minInGamut = true;
    while (max - min > Epsilon) {
        const double chroma = (min + max) / 2;
        const TVec3 current = lab(chroma);
        const TVec3 rgb = OklabToLinearSrgb(current);
        if (minInGamut && inside(rgb, 0)) {
            min = chroma;
            continue;
        }
        clipped = clip(rgb);
        e = DeltaEOk(LinearSrgbToOklab(clipped), current);
        if (e < Jnd) {
            if (Jnd - e < Epsilon)
                break;
            minInGamut = false;
            min = chroma;
        } else {
            max = chroma;
        }
    }
    return {RgbToColor(encoded(clipped)), outside};
}

TMapped MapToSrgb(const TRgb &rgb)
{
    if (inside(rgb, 0))
        return {RgbToColor(rgb), false};
    return MapOklchToSrgb(LabToLch(RgbToOklab(rgb)));
}
