#include "hsl.h"

#include <algorithm>
#include <cmath>

namespace {

// The hue in sixths of a turn is Sextant + Offset / (max - min): red
// largest counts from 0 (6 when green is below blue), green from 2, blue
// from 4. Integers and doubles alike, so the read-outs and the texts agree.
template <typename T>
struct THueParts
{
    T Offset;
    int Sextant;
};

template <typename T>
THueParts<T> hueParts(T red, T green, T blue, T max)
{
    if (max == red)
        return {green - blue, green < blue ? 6 : 0};
    if (max == green)
        return {blue - red, 2};
    return {red - green, 4};
}

double hueOf(const TRgb &rgb, double max, double min)
{
    const double range = max - min;
    if (range == 0)
        return 0;
    const THueParts<double> parts = hueParts(rgb.X, rgb.Y, rgb.Z, max);
    const double hue = (parts.Offset / range + parts.Sextant) * 60;
    return hue >= 360 ? hue - 360 : hue;
}

} // namespace

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
    return Each(HslToRgb(hue, 100, 50), [&](double c) { return c * (1 - w - b) + w; });
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

THsl ColorToHsl(TColor color)
{
    const int red = GetRValue(color);
    const int green = GetGValue(color);
    const int blue = GetBValue(color);
    const int max = std::max({red, green, blue});
    const int min = std::min({red, green, blue});
    const int sum = max + min;      // lightness = sum / 510
    const int range = max - min;
    // Integer arithmetic throughout, so a value exactly halfway between two
    // integers rounds up instead of wherever floating point puts it:
    // round(n / d) = (2n + d) / (2d) for n >= 0.
    const auto rounded = [](long long n, long long d) { return int((2 * n + d) / (2 * d)); };
    THsl hsl{0, 0, rounded(100LL * sum, 510)};
    if (range == 0)
        return hsl;
    hsl.Saturation = rounded(100LL * range, sum <= 255 ? sum : 510 - sum);
    const THueParts<int> parts = hueParts(red, green, blue, max);
    const long long sixths = parts.Offset + (long long)parts.Sextant * range;  // in units of 1 / range
    hsl.Hue = rounded(60 * sixths, range) % 360;
    return hsl;
}

TColor HslToColor(int hue, int saturation, int lightness)
{
    // Every channel is a multiple of 1 / 20000 of an 8-bit step, so no
    // rounding error of the doubles comes near the margin of RgbToColor.
    return RgbToColor(HslToRgb(hue, std::clamp(saturation, 0, 100), std::clamp(lightness, 0, 100)));
}
