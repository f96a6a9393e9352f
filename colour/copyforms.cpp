#include "copyforms.h"

#include "contrast.h"
#include "csstext.h"

namespace {

template <std::string (*Form)(TColor)>
std::optional<std::string> always(TColor color)
{
    return Form(color);
}

std::optional<std::string> hexDigits(TColor color)
{
    return ColorToHtml(color).substr(1);
}

// A name that CSS does not know would not work in a page.
std::optional<std::string> cssName(TColor color)
{
    if (const auto name = NameForColor(color); name && IsCssName(*name))
        return std::string(*name);
    return std::nullopt;
}

template <int Red, int Green, int Blue>
std::optional<std::string> passingUnder(TColor color)
{
    if (const auto passing = NearestPassingAA(color, MakeColor(Red, Green, Blue)))
        return ColorToHtml(*passing);
    return std::nullopt;
}

} // namespace

const std::array<TCopyForm, 14> CopyForms = {{
    {'H', 0, {}, always<ColorToHtml>, true},
    {'X', 0, {}, hexDigits},
    {'R', 0, {}, always<ColorToRgbText>, true},
    {'L', 0, {}, always<ColorToCssHsl>, true},
    {'D', 0, {}, always<ColorToDecimalText>},
    {'V', 0, {}, always<ColorToValueText>},
    {'N', 0, {}, cssName},
    {'B', 1, {}, always<ColorToCssHwb>, true},
    {'A', 1, {}, always<ColorToCssLab>, true},
    {'C', 1, {}, always<ColorToCssLch>, true},
    {'O', 1, {}, always<ColorToCssOklab>, true},
    {'K', 1, {}, always<ColorToCssOklch>, true},
    {'P', 2, "白の文字で AA を満たす近い色", passingUnder<255, 255, 255>},
    {'Q', 2, "黒の文字で AA を満たす近い色", passingUnder<0, 0, 0>},
}};
