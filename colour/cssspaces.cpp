#include "cssspaces.h"

#include "csstokens.h"

#include <algorithm>
#include <cmath>

namespace {

// value^exponent with the sign of value, as the RGB spaces extend their curves.
double signedPow(double value, double exponent)
{
    return std::copysign(std::pow(std::abs(value), exponent), value);
}

double a98ToLinear(double c) { return signedPow(c, 563.0 / 256); }
double prophotoToLinear(double c) { return std::abs(c) <= 16.0 / 512 ? c / 16 : signedPow(c, 1.8); }
double rec2020ToLinear(double c) { return signedPow(c, 2.4); }

// The matrices as CSS Color 4 publishes them, rational where it gives them so.
constexpr TMatrix3 LinearP3ToXyzMatrix = {
    608311.0 / 1250200, 189793.0 / 714400, 198249.0 / 1000160,
    35783.0 / 156275, 247089.0 / 357200, 198249.0 / 2500400,
    0, 32229.0 / 714400, 5220557.0 / 5000800};
constexpr TMatrix3 LinearA98ToXyzMatrix = {
    573536.0 / 994567, 263643.0 / 1420810, 187206.0 / 994567,
    591459.0 / 1989134, 6239551.0 / 9945670, 374412.0 / 4972835,
    53769.0 / 1989134, 351524.0 / 4972835, 4929758.0 / 4972835};
constexpr TMatrix3 LinearProphotoToXyzD50Matrix = {
    0.7977666449006423, 0.13518129740053308, 0.0313477341283922,
    0.2880748288194013, 0.711835234241873, 0.00008993693872564,
    0, 0, 0.8251046025104602};
constexpr TMatrix3 LinearRec2020ToXyzMatrix = {
    63426534.0 / 99577255, 20160776.0 / 139408157, 47086771.0 / 278816314,
    26158966.0 / 99577255, 0.677998071518871, 8267143.0 / 139408157,
    0, 19567812.0 / 697040785, 1.0609850577107909};

constexpr TRgbSpace Srgb = {SrgbToLinear, &LinearSrgbToXyzMatrix, false};
constexpr TRgbSpace SrgbLinear = {nullptr, &LinearSrgbToXyzMatrix, false};
constexpr TRgbSpace DisplayP3 = {SrgbToLinear, &LinearP3ToXyzMatrix, false};
constexpr TRgbSpace A98Rgb = {a98ToLinear, &LinearA98ToXyzMatrix, false};
constexpr TRgbSpace ProphotoRgb = {prophotoToLinear, &LinearProphotoToXyzD50Matrix, true};
constexpr TRgbSpace Rec2020 = {rec2020ToLinear, &LinearRec2020ToXyzMatrix, false};
constexpr TRgbSpace XyzD65 = {nullptr, nullptr, false};
constexpr TRgbSpace XyzD50 = {nullptr, nullptr, true};

TRgb rgbSpaceToSrgb(const TRgbSpace &space, const TVec3 &v)
{
    // On sRGB's own primaries the components need no trip through XYZ.
    if (space.ToXyz == &LinearSrgbToXyzMatrix)
        return space.ToLinear ? v : Each(v, LinearToSrgb);
    TVec3 xyz = space.ToLinear ? Each(v, space.ToLinear) : v;
    if (space.ToXyz)
        xyz = *space.ToXyz * xyz;
    if (space.D50)
        xyz = XyzD50ToD65(xyz);
    return Each(XyzToLinearSrgb(xyz), LinearToSrgb);
}

TMapped rgbToColor(const TVec3 &rgb)
{
    return {MakeColor(RoundToByte(rgb.X), RoundToByte(rgb.Y), RoundToByte(rgb.Z)), false};
}

TMapped hslToColor(const TVec3 &hsl)
{
    return {RgbToColor(HslToRgb(hsl.X, std::clamp(hsl.Y, 0.0, 100.0), std::clamp(hsl.Z, 0.0, 100.0))), false};
}

TMapped hwbToColor(const TVec3 &hwb)
{
    return {RgbToColor(HwbToRgb(hwb.X, std::clamp(hwb.Y, 0.0, 100.0), std::clamp(hwb.Z, 0.0, 100.0))), false};
}

TMapped labToColor(const TVec3 &lab)
{
    return MapToSrgb(LabD50ToRgb({std::clamp(lab.X, 0.0, 100.0), lab.Y, lab.Z}));
}

TMapped lchToColor(const TVec3 &lch)
{
    return labToColor(LchToLab({std::clamp(lch.X, 0.0, 100.0), std::max(lch.Y, 0.0), lch.Z}));
}

TMapped oklabToColor(const TVec3 &oklab)
{
    return MapOklchToSrgb(LabToLch({std::clamp(oklab.X, 0.0, 1.0), oklab.Y, oklab.Z}));
}

TMapped oklchToColor(const TVec3 &oklch)
{
    return MapOklchToSrgb({std::clamp(oklch.X, 0.0, 1.0), std::max(oklch.Y, 0.0), oklch.Z});
}

TVec3 hslOf(TColor color) { return RgbToHsl(ColorToRgb(color)); }
TVec3 hwbOf(TColor color) { return RgbToHwb(ColorToRgb(color)); }
TVec3 labOf(TColor color) { return XyzD50ToLabD50(XyzD65ToD50(LinearSrgbToXyz(ColorToLinear(color)))); }
TVec3 lchOf(TColor color) { return LabToLch(labOf(color)); }
TVec3 oklabOf(TColor color) { return LinearSrgbToOklab(ColorToLinear(color)); }
TVec3 oklchOf(TColor color) { return LabToLch(oklabOf(color)); }

constexpr TCssComponent Hue = {"h", 0, false};

constexpr std::array<TCssComponent, 3> rgbComponents(double hundred)
{
    return {{{"r", hundred, false}, {"g", hundred, false}, {"b", hundred, false}}};
}

constexpr std::array<TCssComponent, 3> xyzComponents = {{{"x", 1, false}, {"y", 1, false}, {"z", 1, false}}};

constexpr TCssSpace rgbSpace(std::string_view name, const TRgbSpace &rgb)
{
    return {name, name.starts_with("xyz") ? xyzComponents : rgbComponents(1), -1, -1, false, {}, nullptr, nullptr,
            &rgb};
}

} // namespace

// 100% of lab's a and b is 125, of lch's chroma 150, of OKLab's 0.4.
const std::array<TCssSpace, 7> CssFunctions = {{
    {"rgb", rgbComponents(255), -1, -1, true, {}, rgbToColor, nullptr, nullptr},
    {"hsl", {{Hue, {"s", 100, true}, {"l", 100, true}}}, 0, 1, true, {}, hslToColor, hslOf, nullptr},
    {"hwb", {{Hue, {"w", 100, true}, {"b", 100, true}}}, 0, -1, false, {}, hwbToColor, hwbOf, nullptr},
    {"lab", {{{"l", 100, false}, {"a", 125, false}, {"b", 125, false}}}, -1, -1, false, {}, labToColor, labOf,
     nullptr},
    {"lch", {{{"l", 100, false}, {"c", 150, false}, Hue}}, 2, 1, false, "lab", lchToColor, lchOf, nullptr},
    {"oklab", {{{"l", 1, false}, {"a", 0.4, false}, {"b", 0.4, false}}}, -1, -1, false, {}, oklabToColor, oklabOf,
     nullptr},
    {"oklch", {{{"l", 1, false}, {"c", 0.4, false}, Hue}}, 2, 1, false, "oklab", oklchToColor, oklchOf, nullptr},
}};

const std::array<TCssSpace, 9> CssRgbSpaces = {{
    rgbSpace("srgb", Srgb),
    rgbSpace("srgb-linear", SrgbLinear),
    rgbSpace("display-p3", DisplayP3),
    rgbSpace("a98-rgb", A98Rgb),
    rgbSpace("prophoto-rgb", ProphotoRgb),
    rgbSpace("rec2020", Rec2020),
    rgbSpace("xyz", XyzD65),
    rgbSpace("xyz-d50", XyzD50),
    rgbSpace("xyz-d65", XyzD65),
}};

const TCssSpace *FindCssFunction(std::string_view name)
{
    for (const TCssSpace &space : CssFunctions) {
        if (csstokens::sameLetters(name, space.Name))
            return &space;
        if (space.Legacy && name.size() == space.Name.size() + 1
            && csstokens::sameLetters(name.substr(0, space.Name.size()), space.Name)
            && csstokens::sameLetters(name.substr(space.Name.size()), "a"))
            return &space;
    }
    return nullptr;
}

const TCssSpace *FindCssRgbSpace(std::string_view name)
{
    for (const TCssSpace &space : CssRgbSpaces)
        if (csstokens::sameLetters(name, space.Name))
            return &space;
    return nullptr;
}

TMapped CssSpaceToColor(const TCssSpace &space, const TVec3 &components)
{
    if (space.Rgb)
        return MapToSrgb(rgbSpaceToSrgb(*space.Rgb, components));
    return space.ToColor(components);
}
