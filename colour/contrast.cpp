#include "contrast.h"

#include "css.h"
#include "nearest.h"

#include <cmath>

TWcagVerdict WcagVerdict(double ratio)
{
    return {ratio >= 4.5, ratio >= 7, ratio >= 3, ratio >= 4.5};
}

std::string CutRatioText(double ratio)
{
    // A ratio that fails a threshold x of 3, 4.5 or 7 never reads as x:
    // 100 x is exact, and the doubles near the ratio lie farther apart, times
    // 100, than half the step of the doubles near 100 x, so ratio < x gives
    // ratio * 100 < 100 x in floating point too, and the floor stays below.
    const long long hundredths = (long long)std::floor(ratio * 100);
    std::string text = std::to_string(hundredths / 100) + ".";
    const long long fraction = hundredths % 100;
    if (fraction < 10)
        text += '0';
    return text + std::to_string(fraction) + ":1";
}

namespace {

// APCA's screen luminance: a plain 2.4 power, then a soft clamp near black.
double apcaLuminance(TColor color)
{
    const auto channel = [](int value) { return std::pow(value / 255.0, 2.4); };
    const double y = 0.2126729 * channel(GetRValue(color)) + 0.7151522 * channel(GetGValue(color))
        + 0.0721750 * channel(GetBValue(color));
    constexpr double BlackThreshold = 0.022;
    return y > BlackThreshold ? y : y + std::pow(BlackThreshold - y, 1.414);
}

} // namespace

double ApcaContrast(TColor text, TColor background)
{
    const double yText = apcaLuminance(text);
    const double yBackground = apcaLuminance(background);
    if (std::abs(yBackground - yText) < 0.0005)
        return 0;
    constexpr double Scale = 1.14;
    constexpr double Offset = 0.027;
    constexpr double Clip = 0.1;
    if (yBackground > yText) {
        const double sapc = (std::pow(yBackground, 0.56) - std::pow(yText, 0.57)) * Scale;
        return sapc < Clip ? 0 : (sapc - Offset) * 100;
    }
    const double sapc = (std::pow(yBackground, 0.65) - std::pow(yText, 0.62)) * Scale;
    return sapc > -Clip ? 0 : (sapc + Offset) * 100;
}

std::optional<TColor> NearestPassingAA(TColor background, TColor text)
{
    const auto passes = [&](TColor c) { return ContrastRatio(c, text) >= 4.5; };
    if (passes(background))
        return std::nullopt;
    const TVec3 oklch = LabToLch(RgbToOklab(ColorToRgb(background)));
    const auto at = [&](double l) { return MapOklchToSrgb({l, oklch.Y, oklch.Z}).Color; };
    // Toward black and toward white: a direction whose far end fails holds
    // no passing colour (under white or black text one of them always
    // does; under a text of middle luminance perhaps neither). Of two,
    // the smaller change of lightness.
    std::optional<double> nearest;
    for (const double end : {0.0, 1.0}) {
        if (!passes(at(end)))
            continue;
        double failing = oklch.X;
        double passing = end;
        // To a hundred-thousandth of lightness: a ten-thousandth can stop a
        // step of 8-bit colour short (navy under black text, #3C6EE4 for
        // #3B6EE4).
        while (std::abs(passing - failing) > 1e-5) {
            const double middle = (passing + failing) / 2;
            (passes(at(middle)) ? passing : failing) = middle;
        }
        if (!nearest || std::abs(passing - oklch.X) < std::abs(*nearest - oklch.X))
            nearest = passing;
    }
    if (!nearest)
        return std::nullopt;
    return at(*nearest);
}
