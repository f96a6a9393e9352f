// The copied CSS forms. A text is kept only if the colour it reads back as
// is the mix's with room to spare: every channel within 0.49 of an 8-bit
// step of the mix's and inside the gamut, so a browser computing in single
// precision rounds it the same way and nothing is gamut mapped. The test is done in linear light against precomputed
// bounds, which keeps one text to a few microseconds.
#include "css.h"
#include "csstext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace {

constexpr double Slack = 0.49;

struct TBounds
{
    std::array<double, 256> Low;
    std::array<double, 256> High;
};

const TBounds &linearBounds()
{
    static const TBounds bounds = [] {
        TBounds b;
        for (int n = 0; n < 256; ++n) {
            b.Low[std::size_t(n)] = SrgbToLinear((n - Slack) / 255);
            b.High[std::size_t(n)] = SrgbToLinear((n + Slack) / 255);
        }
        // Not beyond the gamut: the reader would map such a colour, and
        // gamut mapping takes a black with a trace of red in Lab to black.
        // The tolerance is for the arithmetic that makes black and white.
        b.Low[0] = -1e-9;
        b.High[255] = 1 + 1e-9;
        return b;
    }();
    return bounds;
}

bool within(double value, int channel, const std::array<double, 256> &low, const std::array<double, 256> &high)
{
    return value >= low[std::size_t(channel)] && value <= high[std::size_t(channel)];
}

bool fitsLinear(const TVec3 &linear, TColor color)
{
    const TBounds &b = linearBounds();
    return within(linear.X, GetRValue(color), b.Low, b.High) && within(linear.Y, GetGValue(color), b.Low, b.High)
        && within(linear.Z, GetBValue(color), b.Low, b.High);
}

bool fitsRgb(const TRgb &rgb, TColor color)
{
    const auto near = [](double value, int channel) { return std::abs(value * 255 - channel) <= Slack; };
    return near(rgb.X, GetRValue(color)) && near(rgb.Y, GetGValue(color)) && near(rgb.Z, GetBValue(color));
}

struct TForm
{
    std::string_view Name;
    bool Commas;                             // the legacy hsl() form
    std::array<std::string_view, 3> Suffix;  // "%" or nothing
    int Hue;                                 // the component that is a hue, or -1
    int Chroma;                              // the component that is a chroma, or -1
    bool (*Fits)(const TVec3 &, TColor);
};

constexpr double Powers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
constexpr int MostDecimals = 10;

// The value as the text with that many decimals would be read: the nearest
// double to k / 10^decimals, which from_chars also gives for its text.
double rounded(double value, int decimals)
{
    return double(std::llround(value * Powers[decimals])) / Powers[decimals];
}

void append(std::string &text, double value, int decimals)
{
    long long k = std::llround(value * Powers[decimals]);
    if (k < 0) {
        text += '-';
        k = -k;
    }
    const long long scale = (long long)Powers[decimals];
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, k / scale).ptr;
    text.append(digits, end);
    long long fraction = k % scale;
    if (fraction == 0)
        return;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --decimals;
    }
    end = std::to_chars(digits, digits + sizeof digits, fraction).ptr;
    text += '.';
    text.append(std::size_t(decimals) - std::size_t(end - digits), '0');
    text.append(digits, end);
}

std::string serialise(TColor color, TVec3 exact, const TForm &form)
{
    double *component[3] = {&exact.X, &exact.Y, &exact.Z};
    std::array<int, 3> decimals{};
    const auto fits = [&](const std::array<int, 3> &d) {
        const TVec3 v = {rounded(exact.X, d[0]), rounded(exact.Y, d[1]), rounded(exact.Z, d[2])};
        return form.Fits(v, color);
    };
    int uniform = 0;
    while (uniform < MostDecimals && !fits({uniform, uniform, uniform}))
        ++uniform;
    decimals = {uniform, uniform, uniform};
    for (std::size_t i = 0; i < 3; ++i) {
        for (int d = 0; d < decimals[i]; ++d) {
            std::array<int, 3> fewer = decimals;
            fewer[i] = d;
            if (fits(fewer)) {
                decimals[i] = d;
                break;
            }
        }
    }
    // A hue that rounds to a whole turn is 0; a colour without chroma shows
    // hue 0 when that reads back the same.
    if (form.Hue >= 0) {
        double &hue = *component[form.Hue];
        if (rounded(hue, decimals[std::size_t(form.Hue)]) >= 360)
            hue -= 360;
        const bool grey = form.Chroma >= 0
            ? rounded(*component[form.Chroma], decimals[std::size_t(form.Chroma)]) == 0
            : false;
        if (grey) {
            const double keep = hue;
            hue = 0;
            if (!fits(decimals))
                hue = keep;
        }
    }
    std::string text(form.Name);
    text += '(';
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0)
            text += form.Commas ? ", " : " ";
        append(text, *component[i], decimals[i]);
        text += form.Suffix[i];
    }
    text += ')';
    return text;
}

bool hslFits(const TVec3 &v, TColor color)
{
    return fitsRgb(HslToRgb(v.X, std::clamp(v.Y, 0.0, 100.0), std::clamp(v.Z, 0.0, 100.0)), color);
}

bool hwbFits(const TVec3 &v, TColor color)
{
    return fitsRgb(HwbToRgb(v.X, std::clamp(v.Y, 0.0, 100.0), std::clamp(v.Z, 0.0, 100.0)), color);
}

bool labFits(const TVec3 &v, TColor color)
{
    if (v.X >= 100)
        return color == MakeColor(255, 255, 255);
    return fitsLinear(XyzToLinearSrgb(XyzD50ToD65(LabToXyzD50(v))), color);
}

bool lchFits(const TVec3 &v, TColor color)
{
    return labFits(LchToLab({v.X, std::max(v.Y, 0.0), v.Z}), color);
}

bool oklabFits(const TVec3 &v, TColor color)
{
    if (v.X >= 1)
        return color == MakeColor(255, 255, 255);
    if (v.X <= 0)
        return color == MakeColor(0, 0, 0);
    return fitsLinear(XyzToLinearSrgb(OklabToXyz(v)), color);
}

bool oklchFits(const TVec3 &v, TColor color)
{
    return oklabFits(LchToLab({v.X, std::max(v.Y, 0.0), v.Z}), color);
}

} // namespace

std::string ColorToCssHsl(TColor color)
{
    static constexpr TForm form{"hsl", true, {"", "%", "%"}, 0, 1, hslFits};
    return serialise(color, RgbToHsl(ColorToRgb(color)), form);
}

std::string ColorToCssHwb(TColor color)
{
    static constexpr TForm form{"hwb", false, {"", "%", "%"}, 0, -1, hwbFits};
    return serialise(color, RgbToHwb(ColorToRgb(color)), form);
}

std::string ColorToCssLab(TColor color)
{
    static constexpr TForm form{"lab", false, {"", "", ""}, -1, -1, labFits};
    return serialise(color, RgbToLab(ColorToRgb(color)), form);
}

std::string ColorToCssLch(TColor color)
{
    static constexpr TForm form{"lch", false, {"", "", ""}, 2, 1, lchFits};
    return serialise(color, LabToLch(RgbToLab(ColorToRgb(color))), form);
}

std::string ColorToCssOklab(TColor color)
{
    static constexpr TForm form{"oklab", false, {"", "", ""}, -1, -1, oklabFits};
    return serialise(color, RgbToOklab(ColorToRgb(color)), form);
}

std::string ColorToCssOklch(TColor color)
{
    static constexpr TForm form{"oklch", false, {"", "", ""}, 2, 1, oklchFits};
    return serialise(color, LabToLch(RgbToOklab(ColorToRgb(color))), form);
}
