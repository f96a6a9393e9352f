#include "css.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

bool inside(const TRgb &rgb, double margin)
{
    return rgb.X >= -margin && rgb.X <= 1 + margin && rgb.Y >= -margin && rgb.Y <= 1 + margin && rgb.Z >= -margin
        && rgb.Z <= 1 + margin;
}

TRgb clip(const TRgb &rgb)
{
    return Each(rgb, [](double c) { return std::clamp(c, 0.0, 1.0); });
}

} // namespace

TVec3 LinearSrgbToOklab(const TVec3 &linear) { return XyzToOklab(LinearSrgbToXyz(linear)); }
TVec3 OklabToLinearSrgb(const TVec3 &oklab) { return XyzToLinearSrgb(OklabToXyz(oklab)); }
TVec3 RgbToOklab(const TRgb &rgb) { return LinearSrgbToOklab(Each(rgb, SrgbToLinear)); }
TVec3 RgbToLabD50(const TRgb &rgb) { return XyzD50ToLabD50(XyzD65ToD50(LinearSrgbToXyz(Each(rgb, SrgbToLinear)))); }
TRgb LabD50ToRgb(const TVec3 &lab) { return Each(XyzToLinearSrgb(XyzD50ToD65(LabD50ToXyzD50(lab))), LinearToSrgb); }

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
    const auto encoded = [](const TVec3 &rgb) { return Each(rgb, LinearToSrgb); };
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
