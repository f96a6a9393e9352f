// The copied CSS forms. A text is kept only if the colour it reads back as
// is the mix's with room to spare: every channel within 0.49 of an 8-bit
// step of the mix's, and in linear light a little inside that, so that a
// browser converting with its own matrices in single precision rounds it
// the same way. Lab and OKLab texts must also round to the mix in the
// arithmetic of the browser engines that go through an ICC profile's sRGB
// primaries, which paint some bright greens half a step from CSS's own
// values. The tests are done in linear light against precomputed bounds,
// which keeps one text to a few microseconds.
#include "cssspaces.h"
#include "csstext.h"
#include "iccengine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>

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
    const TVec3 xyz = LabD50ToXyzD50(v);
    // The engine's arithmetic within the step, without room to spare.
    return fitsLinear(XyzToLinearSrgb(XyzD50ToD65(xyz)), color, slack)
        && fitsLinear(IccEngineLinearOfLabXyzD50(xyz), color, 0);
}

TVec3 polar(const TVec3 &v)
{
    const double radians = v.Z * std::numbers::pi / 180;
    const double chroma = std::max(v.Y, 0.0);
    return {v.X, chroma * std::cos(radians), chroma * std::sin(radians)};
}

bool oklabFits(const TVec3 &v, TColor color, double slack)
{
    if (v.X >= 1)
        return color == MakeColor(255, 255, 255);
    if (v.X <= 0)
        return color == MakeColor(0, 0, 0);
    const TVec3 xyz = OklabToXyz(v);
    return fitsLinear(XyzToLinearSrgb(xyz), color, slack) && fitsLinear(IccEngineLinearOfXyzD65(xyz), color, 0);
}

// The second aim of a Lab or OKLab text: the colour moved, in linear light,
// half of the way the engine's arithmetic would move it the other way, so
// that CSS's value and the engine's lie on either side of the mix's.
TVec3 between(const TVec3 &linear, const TVec3 &engineLinear)
{
    return {linear.X - (engineLinear.X - linear.X) / 2, linear.Y - (engineLinear.Y - linear.Y) / 2,
            linear.Z - (engineLinear.Z - linear.Z) / 2};
}

TVec3 labAim(TColor color)
{
    const TVec3 linear = ColorToLinear(color);
    const TVec3 engine = IccEngineLinearOfLabXyzD50(XyzD65ToD50(LinearSrgbToXyz(linear)));
    return XyzD50ToLabD50(XyzD65ToD50(LinearSrgbToXyz(between(linear, engine))));
}

TVec3 oklabAim(TColor color)
{
    const TVec3 linear = ColorToLinear(color);
    const TVec3 engine = IccEngineLinearOfXyzD65(LinearSrgbToXyz(linear));
    return LinearSrgbToOklab(between(linear, engine));
}

// How the written form of a space is judged: the test that written
// components fit the colour, and for the Lab family the second aim.
struct TJudge
{
    std::string_view Space;
    bool (*Fits)(const TVec3 &, TColor, double);
    TVec3 (*Aim)(TColor);
};

constexpr TJudge Judges[] = {
    {"hsl", hslFits, nullptr},
    {"hwb", hwbFits, nullptr},
    {"lab", labFits, labAim},
    {"oklab", oklabFits, oklabAim},
};

// A space's form: a polar space (lch, oklch) is judged as its base space
// is, on the components taken back to it.
struct TForm
{
    explicit TForm(const TCssSpace &space)
        : Polar(!space.PolarOf.empty())
        , Judge(judgeOf(Polar ? space.PolarOf : space.Name))
    {
    }

    bool fits(const TVec3 &v, TColor color, double slack) const
    {
        return Judge.Fits(Polar ? polar(v) : v, color, slack);
    }

    TVec3 aim(TColor color) const
    {
        return Polar ? LabToLch(Judge.Aim(color)) : Judge.Aim(color);
    }

    bool Polar;
    const TJudge &Judge;

private:
    static const TJudge &judgeOf(std::string_view name)
    {
        return *std::find_if(std::begin(Judges), std::end(Judges), [&](const TJudge &j) { return j.Space == name; });
    }
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

TVec3 rounded(const TVec3 &value, const std::array<int, 3> &decimals)
{
    return {rounded(value.X, decimals[0]), rounded(value.Y, decimals[1]), rounded(value.Z, decimals[2])};
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

// The fewest decimals of each component that fit, or nothing.
std::optional<std::array<int, 3>> fewestDecimals(TColor color, const TVec3 &exact, const TForm &form)
{
    double slack = RelativeSlack;
    const auto fits = [&](const std::array<int, 3> &d) { return form.fits(rounded(exact, d), color, slack); };
    int uniform = 0;
    while (uniform <= MostDecimals && !fits({uniform, uniform, uniform}))
        ++uniform;
    // Where the browsers' own arithmetic leaves no room, the text is the
    // fewest decimals that read back exactly as CSS defines them.
    if (uniform > RoomyDecimals) {
        slack = 0;
        uniform = 0;
        while (uniform <= MostDecimals && !fits({uniform, uniform, uniform}))
            ++uniform;
    }
    if (uniform > MostDecimals)
        return std::nullopt;
    std::array<int, 3> decimals = {uniform, uniform, uniform};
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
    return decimals;
}

// The text of the colour's exact components, or where they cannot be
// written to fit, of the second aim; failing both, the exact components to
// the most decimals.
std::string serialise(TColor color, const TCssSpace &space)
{
    const TForm form(space);
    TVec3 exact = space.FromColor(color);
    std::array<int, 3> decimals = {MostDecimals, MostDecimals, MostDecimals};
    if (const auto found = fewestDecimals(color, exact, form)) {
        decimals = *found;
    } else if (form.Judge.Aim) {
        const TVec3 aim = form.aim(color);
        if (const auto second = fewestDecimals(color, aim, form)) {
            exact = aim;
            decimals = *second;
        }
    }
    double *component[3] = {&exact.X, &exact.Y, &exact.Z};
    const auto fits = [&](const std::array<int, 3> &d) { return form.fits(rounded(exact, d), color, 0); };
    // A hue that rounds to a whole turn is 0; a colour without chroma shows
    // hue 0 when that reads back the same.
    if (space.Hue >= 0) {
        double &hue = *component[space.Hue];
        if (rounded(hue, decimals[std::size_t(space.Hue)]) >= 360)
            hue -= 360;
        const bool grey = space.Chroma >= 0
            ? rounded(*component[space.Chroma], decimals[std::size_t(space.Chroma)]) == 0
            : false;
        if (grey) {
            const double keep = hue;
            hue = 0;
            if (!fits(decimals))
                hue = keep;
        }
    }
    // Where a channel is 0 or 255 the text may lie beyond the gamut, and
    // there the reader has the last word (CSS maps an OKLab lightness of 0
    // or less to black, whatever the rest): decimals are added until the
    // reader's conversion of the written components gives the colour
    // unmapped. The written number k / 10^d reads back as rounded() gives it.
    const auto edge = [](int c) { return c == 0 || c == 255; };
    const bool atEdge = edge(GetRValue(color)) || edge(GetGValue(color)) || edge(GetBValue(color));
    constexpr std::array<int, 3> Most = {MostDecimals, MostDecimals, MostDecimals};
    while (atEdge && decimals != Most) {
        const TMapped read = CssSpaceToColor(space, rounded(exact, decimals));
        if (read.Color == color && !read.Outside)
            break;
        for (int &d : decimals)
            d = std::min(d + 1, MostDecimals);
    }
    std::string text(space.Name);
    text += '(';
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0)
            text += space.Legacy ? ", " : " ";
        append(text, *component[i], decimals[i]);
        if (space.Components[i].Percent)
            text += '%';
    }
    return text + ')';
}

} // namespace

std::string ColorToCssHsl(TColor color) { return serialise(color, *FindCssFunction("hsl")); }
std::string ColorToCssHwb(TColor color) { return serialise(color, *FindCssFunction("hwb")); }
std::string ColorToCssLab(TColor color) { return serialise(color, *FindCssFunction("lab")); }
std::string ColorToCssLch(TColor color) { return serialise(color, *FindCssFunction("lch")); }
std::string ColorToCssOklab(TColor color) { return serialise(color, *FindCssFunction("oklab")); }
std::string ColorToCssOklch(TColor color) { return serialise(color, *FindCssFunction("oklch")); }
