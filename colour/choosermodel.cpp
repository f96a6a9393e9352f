#include "choosermodel.h"

#include <algorithm>
#include <cmath>

namespace {

bool operator==(const THsl &a, const THsl &b)
{
    return a.Hue == b.Hue && a.Saturation == b.Saturation && a.Lightness == b.Lightness;
}

} // namespace

THsv TChooserModel::ColorToHsv(TColor color)
{
    const int red = GetRValue(color);
    const int green = GetGValue(color);
    const int blue = GetBValue(color);
    const int max = std::max({red, green, blue});
    const int range = max - std::min({red, green, blue});
    // Hue -1 stands for none (a grey).
    if (range == 0)
        return {-1, 0, max};
    double sixths;
    if (max == red)
        sixths = double(green - blue) / range + (green < blue ? 6 : 0);
    else if (max == green)
        sixths = double(blue - red) / range + 2;
    else
        sixths = double(red - green) / range + 4;
    return {int(std::lround(sixths * 60)) % 360, int(std::lround(255.0 * range / max)), max};
}

TColor TChooserModel::HsvToColor(const THsv &hsv)
{
    const double value = hsv.Value / 255.0;
    const double chroma = value * hsv.Saturation / 255.0;
    const double sixths = hsv.Hue / 60.0;
    const double second = chroma * (1 - std::fabs(std::fmod(sixths, 2) - 1));
    double red = 0, green = 0, blue = 0;
    switch (int(sixths) % 6) {
    case 0: red = chroma; green = second; break;
    case 1: red = second; green = chroma; break;
    case 2: green = chroma; blue = second; break;
    case 3: green = second; blue = chroma; break;
    case 4: red = second; blue = chroma; break;
    default: red = chroma; blue = second; break;
    }
    const double grey = value - chroma;
    const auto channel = [grey](double part) { return int(std::lround((part + grey) * 255)); };
    return MakeColor(channel(red), channel(green), channel(blue));
}

void TChooserModel::setColor(TColor color)
{
    m_color = color & 0xFFFFFF;
    m_hsl = ColorToHsl(m_color);
    const THsv hsv = ColorToHsv(m_color);
    m_hsv = {hsv.Hue < 0 ? m_hsv.Hue : hsv.Hue, hsv.Value > 0 ? hsv.Saturation : m_hsv.Saturation, hsv.Value};
}

void TChooserModel::setHsl(THsl hsl)
{
    hsl = {std::clamp(hsl.Hue, 0, 359), std::clamp(hsl.Saturation, 0, 100), std::clamp(hsl.Lightness, 0, 100)};
    if (hsl == m_hsl)
        return;
    setColor(HslToColor(hsl.Hue, hsl.Saturation, hsl.Lightness));
    m_hsl = hsl;
}

void TChooserModel::pickHueSaturation(int hue, int saturation)
{
    setHsv({hue, saturation, m_hsv.Value == 0 ? 255 : m_hsv.Value});
}

void TChooserModel::pickValue(int value)
{
    setHsv({m_hsv.Hue, m_hsv.Saturation, value});
}

void TChooserModel::setHsv(const THsv &hsv)
{
    const THsv clamped{std::clamp(hsv.Hue, 0, 359), std::clamp(hsv.Saturation, 0, 255), std::clamp(hsv.Value, 0, 255)};
    if (clamped == m_hsv)
        return;
    m_color = HsvToColor(clamped);
    m_hsl = ColorToHsl(m_color);
    m_hsv = clamped;
}
