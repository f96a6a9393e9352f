#include "palette.h"

#include "csstext.h"

#include <algorithm>
#include <map>

std::vector<std::string> PaletteNames(const std::vector<TColor> &colors)
{
    std::vector<std::string> names;
    std::map<std::string, int> given;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const auto name = NameForColor(colors[i]);
        if (!name || !IsCssName(*name)) {
            // No CSS name ends in "-" and a number, so these never meet the
            // names below.
            names.push_back("color-" + std::to_string(i + 1));
            continue;
        }
        const int times = ++given[std::string(*name)];
        names.push_back(times == 1 ? std::string(*name) : std::string(*name) + "-" + std::to_string(times));
    }
    return names;
}

namespace {

std::string threePlaces(int value)
{
    std::string text = std::to_string(value);
    return std::string(3 - text.size(), ' ') + text;
}

} // namespace

std::string PaletteText(const std::vector<TColor> &colors, TPaletteFormat format, const TCopyForm &form)
{
    const std::vector<std::string> names = PaletteNames(colors);
    // The values and names hold no quote, backslash or control character,
    // so JSON takes them as they stand.
    const auto value = [&](std::size_t i) { return form.Text(colors[i]).value_or(ColorToHtml(colors[i])); };
    std::string text;
    switch (format) {
    case TPaletteFormat::CustomProperties:
        text = ":root {\n";
        for (std::size_t i = 0; i < colors.size(); ++i)
            text += "  --" + names[i] + ": " + value(i) + ";\n";
        text += "}\n";
        break;
    case TPaletteFormat::Sass:
        for (std::size_t i = 0; i < colors.size(); ++i)
            text += "$" + names[i] + ": " + value(i) + ";\n";
        break;
    case TPaletteFormat::JsonArray:
        text = "[\n";
        for (std::size_t i = 0; i < colors.size(); ++i)
            text += "  \"" + value(i) + (i + 1 < colors.size() ? "\",\n" : "\"\n");
        text += "]\n";
        break;
    case TPaletteFormat::JsonObject:
        text = "{\n";
        for (std::size_t i = 0; i < colors.size(); ++i)
            text += "  \"" + names[i] + "\": \"" + value(i) + (i + 1 < colors.size() ? "\",\n" : "\"\n");
        text += "}\n";
        break;
    case TPaletteFormat::Gimp:
        text = "GIMP Palette\nName: Tintaro\nColumns: 8\n#\n";
        for (std::size_t i = 0; i < colors.size(); ++i)
            text += threePlaces(GetRValue(colors[i])) + " " + threePlaces(GetGValue(colors[i])) + " "
                + threePlaces(GetBValue(colors[i])) + "\t" + names[i] + "\n";
        break;
    case TPaletteFormat::List:
        for (std::size_t i = 0; i < colors.size(); ++i)
            text += value(i) + "\n";
        break;
    }
    return text;
}

void TRunColors::add(TColor color)
{
    m_colors.erase(std::remove(m_colors.begin(), m_colors.end(), color), m_colors.end());
    m_colors.insert(m_colors.begin(), color);
    if (m_colors.size() > Capacity)
        m_colors.resize(Capacity);
}
