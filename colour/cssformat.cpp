// The copied CSS forms. A text is kept only if the colour it reads back as
// is the mix's with room to spare: every channel within 0.49 of an 8-bit
// step of the mix's, and in linear light a little inside that, so that a
// browser converting with its own matrices in single precision rounds it
// the same way. The test is done in linear light against precomputed
// bounds, which keeps one text to a few microseconds.
#include "css.h"
#include "csstext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

namespace {

constexpr double Slack = 0.49;
// And in linear light, where near black a step is small: browsers convert
// with matrices of their own, in single precision, which put a dark channel
// of a bright colour up to about 1e-4 of the brightest channel elsewhere.
constexpr double RelativeSlack = 6e-4;

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
        return b;
    }();
    return bounds;
}

bool fitsLinear(const TVec3 &linear, TColor color, double relativeSlack)
{
    const TBounds &b = linearBounds();
    const double slack = relativeSlack * std::max({std::abs(linear.X), std::abs(linear.Y), std::abs(linear.Z)});
    // The slack leaves at least the middle fiftieth of the step's window.
    // A channel 0 or 255 may lie a little beyond the gamut, where browsers
    // clip and CSS's gamut mapping clips too.
    const auto within = [&](double value, int channel) {
        const std::size_t n = std::size_t(channel);
        const double margin = std::min(slack, (b.High[n] - b.Low[n]) * 0.49);
        return value >= b.Low[n] + margin && value <= b.High[n] - margin;
    };
    return within(linear.X, GetRValue(color)) && within(linear.Y, GetGValue(color))
        && within(linear.Z, GetBValue(color));
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
    bool (*Fits)(const TVec3 &, TColor, double);
};

constexpr double Powers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
constexpr int MostDecimals = 10;
constexpr int RoomyDecimals = 6;

// The value in units of the last decimal, halves up: k for the text k /
// 10^decimals.
long long scaled(double value, int decimals)
{
    return (long long)std::floor(value * Powers[decimals] + 0.5);
}

// The value as the text with that many decimals would be read: the nearest
// double to k / 10^decimals, which from_chars also gives for its text.
double rounded(double value, int decimals)
{
    return double(scaled(value, decimals)) / Powers[decimals];
}

void append(std::string &text, double value, int decimals)
{
    long long k = scaled(value, decimals);
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
    double slack = RelativeSlack;
    const auto fits = [&](const std::array<int, 3> &d) {
        const TVec3 v = {rounded(exact.X, d[0]), rounded(exact.Y, d[1]), rounded(exact.Z, d[2])};
        return form.Fits(v, color, slack);
    };
    int uniform = 0;
    while (uniform < MostDecimals && !fits({uniform, uniform, uniform}))
        ++uniform;
    // Where the browsers' own arithmetic leaves no room (a bright green's
    // dark red channel in OKLab), the text is the fewest decimals that
    // read back exactly as CSS defines them.
    if (uniform > RoomyDecimals) {
        slack = 0;
        uniform = 0;
        while (uniform < MostDecimals && !fits({uniform, uniform, uniform}))
            ++uniform;
    }
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
    // Where a channel is 0 or 255 the text may lie beyond the gamut, and
    // there the reader has the last word: CSS maps an OKLab lightness of 0
    // or less to black, whatever the rest.
    const auto edge = [](int c) { return c == 0 || c == 255; };
    const bool atEdge = edge(GetRValue(color)) || edge(GetGValue(color)) || edge(GetBValue(color));
    for (;;) {
        std::string text(form.Name);
        text += '(';
        for (std::size_t i = 0; i < 3; ++i) {
            if (i > 0)
                text += form.Commas ? ", " : " ";
            append(text, *component[i], decimals[i]);
            text += form.Suffix[i];
        }
        text += ')';
        if (!atEdge || decimals == std::array<int, 3>{MostDecimals, MostDecimals, MostDecimals})
            return text;
        const TCssColor read = ParseCssColor(text);
        if (read.Color == color && !read.GamutMapped)
            return text;
        for (int &d : decimals)
            d = std::min(d + 1, MostDecimals);
    }
}

bool hslFits(const TVec3 &v, TColor color, double)
{
    return fitsRgb(HslToRgb(v.X, std::clamp(v.Y, 0.0, 100.0), std::clamp(v.Z, 0.0, 100.0)), color);
}

bool hwbFits(const TVec3 &v, TColor color, double)
{
    return fitsRgb(HwbToRgb(v.X, std::clamp(v.Y, 0.0, 100.0), std::clamp(v.Z, 0.0, 100.0)), color);
}

bool labFits(const TVec3 &v, TColor color, double slack)
{
    if (v.X >= 100)
        return color == MakeColor(255, 255, 255);
    return fitsLinear(XyzToLinearSrgb(XyzD50ToD65(LabToXyzD50(v))), color, slack);
}

// The search tries one hue many times over: its cosine and sine are kept.
TVec3 polar(const TVec3 &v)
{
    thread_local double hue = 0, cosine = 1, sine = 0;
    if (v.Z != hue) {
        hue = v.Z;
        const double radians = hue * std::numbers::pi / 180;
        cosine = std::cos(radians);
        sine = std::sin(radians);
    }
    const double chroma = std::max(v.Y, 0.0);
    return {v.X, chroma * cosine, chroma * sine};
}

bool lchFits(const TVec3 &v, TColor color, double slack)
{
    return labFits(polar(v), color, slack);
}

bool oklabFits(const TVec3 &v, TColor color, double slack)
{
    if (v.X >= 1)
        return color == MakeColor(255, 255, 255);
    if (v.X <= 0)
        return color == MakeColor(0, 0, 0);
    return fitsLinear(XyzToLinearSrgb(OklabToXyz(v)), color, slack);
}

bool oklchFits(const TVec3 &v, TColor color, double slack)
{
    return oklabFits(polar(v), color, slack);
}

// The colour in linear light, from a table of the 256 component values.
TVec3 linearOf(TColor color)
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int n = 0; n < 256; ++n)
            t[std::size_t(n)] = SrgbToLinear(n / 255.0);
        return t;
    }();
    return {table[std::size_t(GetRValue(color))], table[std::size_t(GetGValue(color))],
            table[std::size_t(GetBValue(color))]};
}

TVec3 labOf(TColor color) { return XyzD50ToLab(XyzD65ToD50(LinearSrgbToXyz(linearOf(color)))); }
TVec3 oklabOf(TColor color) { return XyzToOklab(LinearSrgbToXyz(linearOf(color))); }

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
    return serialise(color, labOf(color), form);
}

std::string ColorToCssLch(TColor color)
{
    static constexpr TForm form{"lch", false, {"", "", ""}, 2, 1, lchFits};
    return serialise(color, LabToLch(labOf(color)), form);
}

std::string ColorToCssOklab(TColor color)
{
    static constexpr TForm form{"oklab", false, {"", "", ""}, -1, -1, oklabFits};
    return serialise(color, oklabOf(color), form);
}

std::string ColorToCssOklch(TColor color)
{
    static constexpr TForm form{"oklch", false, {"", "", ""}, 2, 1, oklchFits};
    return serialise(color, LabToLch(oklabOf(color)), form);
}
