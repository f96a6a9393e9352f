#include "srgb.h"

#include <algorithm>
#include <array>
#include <cmath>

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

double LinearOfChannel(int channel)
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int n = 0; n < 256; ++n)
            t[std::size_t(n)] = SrgbToLinear(n / 255.0);
        return t;
    }();
    return table[std::size_t(channel)];
}

TVec3 ColorToLinear(TColor color)
{
    return {LinearOfChannel(GetRValue(color)), LinearOfChannel(GetGValue(color)), LinearOfChannel(GetBValue(color))};
}

int RoundToByte(double value, double margin)
{
    if (!(value > 0))  // NaN too
        return 0;
    return int(std::floor(std::min(value, 255.0) + 0.5 + margin));
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
    const auto channel = [](double c) { return RoundToByte(std::min(c, 1.0) * 255, 1e-5); };
    return MakeColor(channel(rgb.X), channel(rgb.Y), channel(rgb.Z));
}

TVec3 LinearSrgbToXyz(const TVec3 &rgb) { return LinearSrgbToXyzMatrix * rgb; }
TVec3 XyzToLinearSrgb(const TVec3 &xyz) { return XyzToLinearSrgbMatrix * xyz; }
