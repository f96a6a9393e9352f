#include "lab.h"

#include <cmath>
#include <numbers>

namespace {

constexpr TMatrix3 D65ToD50Matrix = {
    1.0479297925449969, 0.022946870601609652, -0.05019226628920524,
    0.02962780877005599, 0.9904344267538799, -0.017073799063418826,
    -0.009243040646204504, 0.015055191490298152, 0.7518742814281371};
constexpr TMatrix3 D50ToD65Matrix = {
    0.955473421488075, -0.02309845494876471, 0.06325924320057072,
    -0.0283697093338637, 1.0099953980813041, 0.021041441191917323,
    0.012314014864481998, -0.020507649298898964, 1.330365926242124};
constexpr TMatrix3 XyzToLmsMatrix = {
    0.819022437996703, 0.3619062600528904, -0.1288737815209879,
    0.0329836539323885, 0.9292868615863434, 0.0361446663506424,
    0.0481771893596242, 0.2642395317527308, 0.6335478284694309};
constexpr TMatrix3 LmsToOklabMatrix = {
    0.210454268309314, 0.7936177747023054, -0.0040720430116193,
    1.9779985324311684, -2.42859224204858, 0.450593709617411,
    0.0259040424655478, 0.7827717124575296, -0.8086757549230774};
constexpr TMatrix3 OklabToLmsMatrix = {
    1, 0.3963377773761749, 0.2158037573099136,
    1, -0.1055613458156586, -0.0638541728258133,
    1, -0.0894841775298119, -1.2914855480194092};
constexpr TMatrix3 LmsToXyzMatrix = {
    1.2268798758459243, -0.5578149944602171, 0.2813910456659647,
    -0.0405757452148008, 1.112286803280317, -0.0717110580655164,
    -0.0763729366746601, -0.4214933324022432, 1.5869240198367816};

constexpr double LabEpsilon = 216.0 / 24389;
constexpr double LabKappa = 24389.0 / 27;

} // namespace

TVec3 XyzD65ToD50(const TVec3 &xyz) { return D65ToD50Matrix * xyz; }
TVec3 XyzD50ToD65(const TVec3 &xyz) { return D50ToD65Matrix * xyz; }

TVec3 XyzToLab(const TVec3 &xyz, const TVec3 &white)
{
    const auto f = [](double t) { return t > LabEpsilon ? std::cbrt(t) : (LabKappa * t + 16) / 116; };
    const double fx = f(xyz.X / white.X);
    const double fy = f(xyz.Y / white.Y);
    const double fz = f(xyz.Z / white.Z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

TVec3 LabToXyz(const TVec3 &lab, const TVec3 &white)
{
    const double fy = (lab.X + 16) / 116;
    const double fx = lab.Y / 500 + fy;
    const double fz = fy - lab.Z / 200;
    const auto inverse = [](double f) { return f * f * f > LabEpsilon ? f * f * f : (116 * f - 16) / LabKappa; };
    const double y = lab.X > LabKappa * LabEpsilon ? fy * fy * fy : lab.X / LabKappa;
    return {inverse(fx) * white.X, y * white.Y, inverse(fz) * white.Z};
}

TVec3 XyzD50ToLabD50(const TVec3 &xyz) { return XyzToLab(xyz, D50White); }
TVec3 LabD50ToXyzD50(const TVec3 &lab) { return LabToXyz(lab, D50White); }

TVec3 XyzToOklab(const TVec3 &xyz)
{
    return LmsToOklabMatrix * Each(XyzToLmsMatrix * xyz, [](double c) { return std::cbrt(c); });
}

TVec3 OklabToXyz(const TVec3 &lab)
{
    return LmsToXyzMatrix * Each(OklabToLmsMatrix * lab, [](double c) { return c * c * c; });
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
