// Writes random palettes in every copied format, one a line, for the
// independent readers of each format:
//   format <tab> the palette's colours as #RRGGBB, space-parted <tab> the text as a JSON string
// The colours are the palette itself, drawn here, never read back.
#include "copyforms.h"
#include "palette.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

std::string jsonString(const std::string &text)
{
    std::string json = "\"";
    for (char c : text) {
        if (c == '\n')
            json += "\\n";
        else if (c == '\t')
            json += "\\t";
        else if (c == '"' || c == '\\')
            json += std::string("\\") + c;
        else
            json += c;
    }
    return json + "\"";
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::stoi(argv[1]) : 1000;
    const std::pair<TPaletteFormat, const char *> formats[] = {
        {TPaletteFormat::CustomProperties, "properties"}, {TPaletteFormat::Sass, "sass"},
        {TPaletteFormat::JsonArray, "json-array"},        {TPaletteFormat::JsonObject, "json-object"},
        {TPaletteFormat::Gimp, "gimp"},                   {TPaletteFormat::List, "list"}};
    std::vector<const TCopyForm *> forms;
    for (const TCopyForm &form : CopyForms)
        if (form.CssValue)
            forms.push_back(&form);
    std::mt19937 random(20261209);
    for (int i = 0; i < count; ++i) {
        std::vector<TColor> palette(std::uniform_int_distribution<std::size_t>(1, 16)(random));
        for (TColor &colour : palette)
            colour = std::uniform_int_distribution<int>(0, 3)(random) == 0
                ? ColorOfRow(std::uniform_int_distribution<int>(0, NamedColorCount - 1)(random))
                : std::uniform_int_distribution<TColor>(0, 0xFFFFFF)(random);
        const auto &[format, name] = formats[std::size_t(i) % std::size(formats)];
        const TCopyForm &form = *forms[std::uniform_int_distribution<std::size_t>(0, forms.size() - 1)(random)];
        std::string colours;
        for (TColor colour : palette)
            colours += (colours.empty() ? "" : " ") + ColorToHtml(colour);
        std::printf("%s\t%s\t%s\n", name, colours.c_str(), jsonString(PaletteText(palette, format, form)).c_str());
    }
}
